#include "model/site.h"

#include "model/options.h"
#include "model/project.h"
#include "model/revision_numbers.h"
#include "model/string_helpers.h"

namespace kestro {

void RevisionMap::Set(const std::string& key, const std::string& value)
{
    const auto it = index_.find(key);
    if (it != index_.end()) {
        entries_[it->second].second = value;
        return;
    }
    index_.emplace(key, entries_.size());
    entries_.emplace_back(key, value);
}

const std::string* RevisionMap::Find(const std::string& key) const
{
    const auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void RevisionMap::clear()
{
    entries_.clear();
    index_.clear();
}

Site::Site() = default;

Site::Site(const std::string& siteName, const std::string& email)
    : name(siteName), emailAddress(email), sendCommand(RCSOptions::instance().defaultSendCommand)
{
}

void Site::serialize(Archive& ar)
{
    if (ar.isStoring()) {
        ar.writeCount(static_cast<std::uint32_t>(localToSite.size()));
        for (const auto& [local, remote] : localToSite.entries()) {
            ar.writeString(local);
            ar.writeString(remote);
        }
    } else if (ar.schema() >= 3) {
        localToSite.clear();
        siteToLocal.clear();
        const std::uint32_t count = ar.readCount(2);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string local = ar.readString();
            std::string remote = ar.readString();
            localToSite.Set(local, remote);
        }
        for (const auto& [local, remote] : localToSite.entries())
            siteToLocal.Set(remote, local);
    }
    ar.transfer(name);
    ar.transfer(emailAddress);
    ar.transfer(sendCommand);
    ar.transfer(lastRelease);
}

std::string Site::TranslateRevision(const std::string& revision, Direction direction) const
{
    const RevisionMap& map = direction == Direction::SiteToLocal ? siteToLocal : localToSite;
    for (std::string prefix = revision; !prefix.empty(); prefix = BranchOf(prefix)) {
        if (const std::string* translated = map.Find(prefix))
            return *translated + revision.substr(prefix.size());
    }
    return revision;
}

void Site::RecordRevisionPair(std::string siteRevision, std::string localRevision)
{
    while (siteRevision != localRevision && CountRevisionFields(siteRevision) >= 2) {
        siteToLocal.Set(siteRevision, localRevision);
        localToSite.Set(localRevision, siteRevision);
        siteRevision = BranchOf(siteRevision);
        localRevision = BranchOf(localRevision);
    }
}

std::string Site::SendDirectory() const
{
    if (!IsValidSiteName(name))
        return {};
    Project* doc = Project::current();
    if (!doc)
        return {};
    std::string title = doc->GetTitle();
    const std::size_t dot = title.rfind('.');
    if (dot != std::string::npos && dot != 0)
        title.erase(dot);
    if (!IsValidSiteName(title))
        return {};
    return doc->GetProjectDirectory() + "RCSSites/" + title + "/" + name + "/";
}

bool IsValidSiteName(std::string_view siteName)
{
    const std::string trimmed = Trim(siteName);
    return !trimmed.empty() && trimmed != "." && trimmed != ".."
           && siteName.find_first_of("/\\") == std::string_view::npos;
}

} // namespace kestro
