// The revision commands on a release and on its entries: a release stands
// for its symbolic name in every file, an entry for the revision it names.

#include "model/options.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_version_item.h"
#include "model/version_item.h"
#include "ops/commands.h"

namespace kestro {

bool RCSReleaseItem::PrepareCheckout()
{
    RCSItem::PrepareCheckout();
    RCSOptions::instance().checkout.revision = name;
    return true;
}

bool RCSReleaseItem::PrepareCompare()
{
    RCSItem::PrepareCompare();
    RCSOptions::instance().compare.revision1 = name;
    return true;
}

bool RCSReleaseItem::PrepareMerge()
{
    RCSItem::PrepareMerge();
    RCSOptions::instance().merge.revision1 = name;
    return true;
}

bool RCSReleaseItem::PrepareReport()
{
    RCSItem::PrepareReport();
    RCSOptions::instance().report.revisions = name;
    return true;
}

int RCSReleaseItem::Checkout()
{
    const int result = CheckoutChildren(*this);
    // The release name file claims the whole release is checked out.
    if (result == 0) {
        if (Project* doc = Project::current())
            doc->WriteReleaseNameFile(name);
    }
    return result;
}

bool RCSReleaseVersionItem::PrepareCheckout()
{
    return revisionRef && revisionRef->PrepareCheckout();
}

bool RCSReleaseVersionItem::PrepareCompare()
{
    return revisionRef && revisionRef->PrepareCompare();
}

bool RCSReleaseVersionItem::PrepareMerge()
{
    return revisionRef && revisionRef->PrepareMerge();
}

bool RCSReleaseVersionItem::PrepareReport()
{
    return revisionRef && revisionRef->PrepareReport();
}

int RCSReleaseVersionItem::Checkout()
{
    return revisionRef ? revisionRef->Checkout() : 1;
}

int RCSReleaseVersionItem::Compare()
{
    return revisionRef ? revisionRef->Compare() : 1;
}

int RCSReleaseVersionItem::Merge()
{
    return revisionRef ? revisionRef->Merge() : 1;
}

int RCSReleaseVersionItem::Report()
{
    return revisionRef ? revisionRef->Report() : 1;
}

} // namespace kestro
