#include "ops/compare_choice.h"

#include "model/file_item.h"
#include "model/options.h"
#include "model/revision_numbers.h"
#include "model/version_item.h"

namespace kestro {

namespace {

// Trunk revisions of every level (1.x, 2.x) form one line of descent.
bool OnSameLine(const std::string& a, const std::string& b)
{
    if (CountRevisionFields(a) == 2)
        return CountRevisionFields(b) == 2;
    return BranchOf(a) == BranchOf(b);
}

} // namespace

bool PrepareCompareChoice(RCSItem& current, const std::vector<RCSItem*>& picked)
{
    CompareSettings& settings = RCSOptions::instance().compare;
    if (picked.size() == 2 && picked[0]->IsRevision() && picked[1]->IsRevision()) {
        auto* first = static_cast<RCSVersionItem*>(picked[0]);
        auto* second = static_cast<RCSVersionItem*>(picked[1]);
        if (first->file && first->file == second->file && first != second) {
            if (!first->file->CanCompare() || !first->file->PrepareCompare())
                return false;
            const bool ordered = CompareRevisions(first->name, second->name) <= 0;
            settings.revision1 = ordered ? first->name : second->name;
            settings.revision2 = ordered ? second->name : first->name;
            return true;
        }
    }
    if (!current.CanCompare() || !current.PrepareCompare())
        return false;
    settings.revision2.clear();
    if (auto* file = dynamic_cast<RCSFileItem*>(&current))
        settings.revision1 = file->workingRevision;
    return true;
}

std::string PreviousRevision(const RCSVersionItem& revision)
{
    const RCSItem* holder = revision.parent;
    if (!holder)
        return {};
    const std::string* best = nullptr;
    for (const auto& sibling : holder->children) {
        if (!sibling->IsRevision() || !OnSameLine(sibling->name, revision.name))
            continue;
        if (CompareRevisions(sibling->name, revision.name) < 0 &&
            (!best || CompareRevisions(*best, sibling->name) < 0))
            best = &sibling->name;
    }
    if (best)
        return *best;
    // The first revision of a branch hangs below the revision it sprouts from.
    return holder->IsRevision() ? holder->name : std::string();
}

} // namespace kestro
