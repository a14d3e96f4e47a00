#include "model/version_item.h"

#include "model/file_item.h"
#include "model/options.h"
#include "model/project.h"
#include "model/revision_numbers.h"
#include "model/site.h"
#include "model/site_list.h"
#include "model/time_format.h"

namespace kestro {

namespace {

SiteList* CurrentSiteList()
{
    Project* doc = Project::current();
    return doc ? doc->siteList.get() : nullptr;
}

} // namespace

RCSFileItem* OwningFileOf(const RCSItem* item)
{
    for (RCSItem* up = item ? item->parent : nullptr; up; up = up->parent) {
        if (auto* fileItem = dynamic_cast<RCSFileItem*>(up))
            return fileItem;
    }
    return nullptr;
}

RCSVersionItem::RCSVersionItem() : date(std::time(nullptr))
{
    status = Revision;
    if (SiteList* sites = CurrentSiteList())
        owningSite = sites->GetLocalSite();
}

std::string RCSVersionItem::GetDisplayText() const
{
    std::string text = name + " ";
    if (!locker.empty())
        text += "(" + locker + ") ";
    SiteList* sites = CurrentSiteList();
    if (owningSite && sites && owningSite != sites->GetLocalSite()) {
        if (sites->IsMaster(owningSite))
            text += "{" + owningSite->name + "} ";
        else
            text += "[" + owningSite->name + "] ";
    }
    text += FormatTime(date, RCSOptions::instance().timeFormat);
    text += " " + message;
    return text;
}

std::string RCSVersionItem::GetDescription() const
{
    if (file)
        return file->name + " Version " + name;
    return name;
}

int RCSVersionItem::SortCompare(const RCSItem* other) const
{
    if (!other || !other->IsRevision())
        return 1;
    const int result = CompareRevisions(name, other->name);
    return RCSOptions::instance().sortHighestFirst ? -result : result;
}

bool RCSVersionItem::PrepareCheckin()
{
    if (!file || !file->PrepareCheckin())
        return false;
    RCSOptions::instance().checkin.revision = BranchOf(name);
    return true;
}

bool RCSVersionItem::PrepareCheckout()
{
    if (!file || !file->PrepareCheckout())
        return false;
    RCSOptions::instance().checkout.revision = name;
    return true;
}

bool RCSVersionItem::PrepareCompare()
{
    if (!file || !file->PrepareCompare())
        return false;
    RCSOptions::instance().compare.revision1 = name;
    return true;
}

bool RCSVersionItem::PrepareMerge()
{
    if (!file || !file->PrepareMerge())
        return false;
    RCSOptions::instance().merge.revision1 = name;
    return true;
}

bool RCSVersionItem::PrepareReport()
{
    if (!file || !file->PrepareReport())
        return false;
    RCSOptions::instance().report.revisions = name;
    return true;
}

int RCSVersionItem::Checkin(Site* site)
{
    return file ? file->Checkin(site) : 1;
}

int RCSVersionItem::Checkout()
{
    return file ? file->Checkout() : 1;
}

int RCSVersionItem::Compare()
{
    return file ? file->Compare() : 1;
}

int RCSVersionItem::Merge()
{
    return file ? file->Merge() : 1;
}

int RCSVersionItem::Report()
{
    return file ? file->Report() : 1;
}

int RCSVersionItem::Synchronise(bool top)
{
    return file ? file->Synchronise(top) : 1;
}

void RCSVersionItem::SetOwningSite(Site* site)
{
    owningSite = site;
    RefreshDisplay(false);
}

void RCSVersionItem::SetDate(std::time_t newDate)
{
    if (newDate != date) {
        date = newDate;
        RefreshDisplay(false);
    }
}

void RCSVersionItem::SetMessage(const std::string& text)
{
    if (text != message) {
        message = text;
        RefreshDisplay(false);
    }
}

void RCSVersionItem::SerializeData(Archive& ar)
{
    RCSItem::SerializeData(ar);
    if (ar.isStoring()) {
        ar.writeObject(owningSite);
        ar.transferTime(date);
        ar.transfer(message);
        ar.transfer(locker);
        ar.writeObject(file);
        return;
    }
    const auto code = StatusCode();
    if (code < LockedRevision || code > Tip)
        SetStatusCode(Revision);
    const std::uint16_t schema = ar.schema();
    if (schema >= 3)
        owningSite = ar.readReferenceOrAdopt<Site>(AdoptStoredSite);
    ar.transferTime(date);
    ar.transfer(message);
    if (schema >= 4)
        ar.transfer(locker);
    if (schema >= 2)
        file = ar.readReference<RCSFileItem>();
    else
        file = OwningFileOf(this);
}

bool RCSVersionItem::AcceptsChild(const RCSItem& child) const
{
    return IsKindOf<RCSVersionItem>(child);
}

} // namespace kestro
