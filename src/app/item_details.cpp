#include "app/item_details.h"

#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/revision_numbers.h"
#include "model/site.h"
#include "model/time_format.h"
#include "model/version_item.h"

#include <algorithm>

namespace kestro {

namespace {

const char* StatusWords(ItemStatus status)
{
    switch (status) {
    case NewFile:
        return "New (never checked in)";
    case MissingFile:
        return "Missing working file";
    case OnlyInRcs:
        return "Only in RCS";
    case Modified:
        return "Modified";
    case CheckedIn:
        return "Checked in";
    default:
        return "";
    }
}

std::string Join(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text.empty() ? "none" : text;
}

void DescribeRevision(const RCSVersionItem& revision, const RCSReleaseRoot* releases, ItemDetails& details)
{
    details.title = (revision.file ? NativePath(revision.file->name) + " " : std::string()) + "revision " +
                    revision.name;
    details.fields.emplace_back("Date", FormatTime(revision.date, RCSOptions::instance().timeFormat));
    details.fields.emplace_back("Locked by", revision.locker.empty() ? "not locked" : revision.locker);
    details.fields.emplace_back("Owning site", revision.owningSite ? revision.owningSite->name : "none");
    std::vector<std::string> inReleases;
    if (releases)
        for (const auto& release : releases->children)
            for (const auto& entry : release->children)
                if (auto* used = dynamic_cast<const RCSReleaseVersionItem*>(entry.get());
                    used && used->revisionRef == &revision)
                    inReleases.push_back(release->name);
    details.fields.emplace_back("Releases", Join(inReleases));
    std::vector<std::string> branches;
    for (const auto& child : revision.children)
        if (child->IsRevision()) {
            const std::string branch = BranchOf(child->name);
            if (branches.empty() || branches.back() != branch)
                branches.push_back(branch);
        }
    details.fields.emplace_back("Branches", Join(branches));
    details.firstLine = revision.message;
    if (revision.file) {
        details.rcsPath = revision.file->GetRcsPath();
        details.revision = revision.name;
    }
}

void DescribeFile(RCSFileItem& file, ItemDetails& details)
{
    details.title = NativePath(file.name);
    details.fields.emplace_back("Status", StatusWords(file.StatusCode()));
    details.fields.emplace_back("Working revision", file.workingRevision.empty() ? "none" : file.workingRevision);
    details.fields.emplace_back("RCS file", file.GetRcsPath());
    const RCSVersionItem* tip = file.FindDefaultBranchTip();
    std::string branch = "none";
    if (tip)
        branch = CountRevisionFields(tip->name) > 2 ? BranchOf(tip->name) : "trunk (" + tip->name + ")";
    details.fields.emplace_back("Default branch", branch);
}

} // namespace

ItemDetails DescribeItem(const RCSItem& item, const RCSReleaseRoot* releases)
{
    ItemDetails details;
    // The model's queries are not all const, though none of them changes
    // what is described here.
    auto& mutableItem = const_cast<RCSItem&>(item);
    if (item.IsRevision()) {
        DescribeRevision(static_cast<const RCSVersionItem&>(item), releases, details);
    } else if (auto* file = dynamic_cast<RCSFileItem*>(&mutableItem)) {
        DescribeFile(*file, details);
    } else if (auto* release = dynamic_cast<const RCSReleaseItem*>(&item)) {
        details.title = "Release: " + release->name;
        details.fields.emplace_back("Date", FormatTime(release->releaseDate, RCSOptions::instance().timeFormat));
        for (const auto& entry : release->children) {
            const auto* used = dynamic_cast<const RCSReleaseVersionItem*>(entry.get());
            const RCSVersionItem* revision = used ? used->revisionRef : nullptr;
            if (revision && revision->file)
                details.entries.push_back(NativePath(revision->file->name) + "  " + revision->name);
            else
                details.entries.push_back(NativePath(entry->name));
        }
        // By file name, not in the order they were added.
        std::sort(details.entries.begin(), details.entries.end());
    } else {
        details.title = item.GetDisplayText();
    }
    return details;
}

std::string FormatDetails(const ItemDetails& details, const RevisionLog* full)
{
    std::string text = details.title + "\n\n";
    if (full && !full->author.empty())
        text += "Author: " + full->author + "\n";
    for (const auto& [label, value] : details.fields)
        text += label + ": " + value + "\n";
    if (!details.revision.empty() || !details.firstLine.empty())
        text += "\n" + (full ? full->message : details.firstLine) + "\n";
    if (!details.entries.empty()) {
        text += "\nFiles:\n";
        for (const std::string& entry : details.entries)
            text += "  " + entry + "\n";
    }
    return text;
}

} // namespace kestro
