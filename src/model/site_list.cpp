#include "model/site_list.h"

#include "model/command_results.h"
#include "model/project.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/tree_traverser.h"
#include "model/user_interaction.h"
#include "model/version_item.h"

namespace kestro {

namespace {

// Stops at the first revision owned by the site.
class SiteSearch : public TreeTraverser {
public:
    explicit SiteSearch(const Site* wanted) : TreeTraverser(1, Unlimited), site(wanted) {}
    int Visit() override
    {
        auto* revision = dynamic_cast<RCSVersionItem*>(current);
        return revision && revision->owningSite == site ? 1 : 0;
    }
    const Site* site;
};

} // namespace

void SiteList::serialize(Archive& ar)
{
    if (ar.isStoring()) {
        ar.writeCount(static_cast<std::uint32_t>(sites.size()));
        for (const auto& site : sites)
            ar.writeObject(site.get());
        ar.writeObject(master);
        return;
    }
    const std::uint32_t count = ar.readCount(2);
    for (std::uint32_t i = 0; i < count; ++i)
        sites.push_back(ar.readOwned<Site>());
    master = nullptr;
    if (ar.schema() >= 2) {
        master = ar.readReferenceOrAdopt<Site>([this](std::unique_ptr<Site> site) {
            Site* listed = Find(site->name);
            return listed ? listed : Append(std::move(site));
        });
    }
    if (!master)
        master = GetLocalSite();
}

Site* SiteList::GetLocalSite() const
{
    return sites.empty() ? nullptr : sites.front().get();
}

Site* SiteList::Find(const std::string& siteName) const
{
    for (const auto& site : sites) {
        if (EqualsNoCase(site->name, siteName))
            return site.get();
    }
    return nullptr;
}

Site* SiteList::Append(std::unique_ptr<Site> site)
{
    sites.push_back(std::move(site));
    return sites.back().get();
}

Site* SiteList::Add(const std::string& siteName, const std::string& email)
{
    auto site = std::make_unique<Site>(siteName, email);
    return Add(site) ? sites.back().get() : nullptr;
}

bool SiteList::Add(std::unique_ptr<Site>& site)
{
    if (!site || !IsValidSiteName(site->name) || Find(site->name))
        return false;
    Site* added = Append(std::move(site));
    if (!master)
        master = added;
    return true;
}

Site* SiteList::FindOrCreate(const std::string& siteName)
{
    if (Trim(siteName).empty()) {
        CommandResults::instance().AppendResults("Cannot create site (blank name)\r\n");
        return nullptr;
    }
    if (Site* site = Find(siteName))
        return site;
    if (!IsValidSiteName(siteName)) {
        CommandResults::instance().AppendResults("Cannot create site " + siteName
                                                 + " (a site name cannot be \".\", \"..\" or hold \"/\" or \"\\\")\r\n");
        return nullptr;
    }
    return Append(std::make_unique<Site>(siteName, std::string()));
}

bool SiteList::Remove(Site* site)
{
    if (!site || site == GetLocalSite())
        return false;
    Project* doc = Project::current();
    if (doc && doc->root) {
        SiteSearch search(site);
        if (search.Traverse(doc->root.get())) {
            CurrentUserInteraction().ShowMessage(
                "Cannot delete site " + site->name + " as there are revisions belonging to it",
                MessageIcon::None);
            return false;
        }
    }
    for (auto it = sites.begin(); it != sites.end(); ++it) {
        if (it->get() == site) {
            // The master must never name a removed site.
            if (master == site)
                master = GetLocalSite();
            sites.erase(it);
            return true;
        }
    }
    return false;
}

void SiteList::SetMaster(Site* site)
{
    master = site ? site : GetLocalSite();
}

int SiteList::FillComboBox(std::vector<SiteEntry>& combo, bool includeLocalSite) const
{
    int count = 0;
    for (std::size_t i = includeLocalSite ? 0 : 1; i < sites.size(); ++i) {
        combo.push_back({sites[i]->name, sites[i].get()});
        ++count;
    }
    return count;
}

int SiteList::FillListBox(std::vector<SiteEntry>& lines) const
{
    int count = 0;
    for (std::size_t i = 1; i < sites.size(); ++i) {
        const Site* site = sites[i].get();
        lines.push_back({site->name + (IsMaster(site) ? " (Master)\t" : "\t") + site->emailAddress,
                         sites[i].get()});
        ++count;
    }
    return count;
}

Site* AdoptStoredSite(std::unique_ptr<Site> site)
{
    Project* doc = Project::current();
    if (!doc || !doc->siteList)
        throw ArchiveError("a revision names a site outside of any site list");
    SiteList& list = *doc->siteList;
    if (Site* listed = list.Find(site->name))
        return listed;
    list.sites.push_back(std::move(site));
    return list.sites.back().get();
}

} // namespace kestro
