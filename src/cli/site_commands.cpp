// The commands on sites and on sending releases to them: sites and send.
// They change the site list as the window's site dialogs do.

#include "cli/cli_session.h"
#include "cli/output_format.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/site_list.h"

#include <iostream>

namespace kestro::cli {

namespace {

int ListSites(const SiteList& list)
{
    for (const auto& site : list.sites) {
        std::string line = EscapeField(site->name) + "\t" + EscapeField(site->emailAddress);
        if (list.IsMaster(site.get()))
            line += "\tmaster";
        if (site.get() == list.GetLocalSite())
            line += "\tlocal";
        std::cout << line << "\n";
    }
    return 0;
}

// A name that the site may take: valid, and no other site's.
bool NameIsFree(const SiteList& list, const Site* site, const std::string& siteName)
{
    if (!IsValidSiteName(siteName)) {
        Fail("a site name cannot be blank, \".\" or \"..\", or hold \"/\" or \"\\\"");
        return false;
    }
    const Site* other = list.Find(siteName);
    if (other && other != site) {
        Fail("Site " + siteName + " already exists");
        return false;
    }
    return true;
}

void SetDetails(Site& site, const Arguments& args)
{
    if (const std::string* email = Value(args, "--email"))
        site.emailAddress = *email;
    if (const std::string* command = Value(args, "--send-command"))
        site.sendCommand = *command;
}

// A new master owns every revision, as after the window's site dialog.
void ChangeMaster(CKestroDoc& doc, Site* master)
{
    SiteList& list = *doc.siteList;
    Site* before = list.master;
    list.SetMaster(master);
    if (list.master != before && doc.root)
        doc.root->SetOwningSite(list.master);
}

int SetLocalSite(Session& session, const Arguments& args)
{
    SiteList& list = *session.doc.siteList;
    Site* local = list.GetLocalSite();
    if (!local || !NameIsFree(list, local, args.items[1]))
        return 1;
    local->name = args.items[1];
    SetDetails(*local, args);
    session.doc.SetModifiedFlag(true);
    return session.Finish(0);
}

int AddSite(Session& session, const Arguments& args)
{
    SiteList& list = *session.doc.siteList;
    if (!NameIsFree(list, nullptr, args.items[1]))
        return 1;
    Site* site = list.Add(args.items[1], std::string());
    if (!site)
        return Fail("cannot add site " + args.items[1]);
    SetDetails(*site, args);
    if (Has(args, "--master"))
        ChangeMaster(session.doc, site);
    session.doc.SetModifiedFlag(true);
    return session.Finish(0);
}

Site* FindRemoteSite(const SiteList& list, const std::string& siteName)
{
    Site* site = list.Find(siteName);
    if (!site)
        Fail("no site is named " + siteName);
    else if (site == list.GetLocalSite())
        Fail(siteName + " is the local site: use \"sites PROJECT local NAME\"");
    else
        return site;
    return nullptr;
}

int EditSite(Session& session, const Arguments& args)
{
    if (Has(args, "--master") && Has(args, "--not-master"))
        return Fail("--master and --not-master exclude each other");
    SiteList& list = *session.doc.siteList;
    Site* site = FindRemoteSite(list, args.items[1]);
    if (!site)
        return 1;
    if (const std::string* newName = Value(args, "--name")) {
        if (!NameIsFree(list, site, *newName))
            return 1;
        // The files waiting under the old name would be left behind.
        if (*newName != site->name)
            site->ClearSendDirectory();
        site->name = *newName;
    }
    SetDetails(*site, args);
    if (Has(args, "--master"))
        ChangeMaster(session.doc, site);
    else if (Has(args, "--not-master") && list.IsMaster(site))
        ChangeMaster(session.doc, nullptr);
    session.doc.SetModifiedFlag(true);
    return session.Finish(0);
}

int RemoveSite(Session& session, const Arguments& args)
{
    SiteList& list = *session.doc.siteList;
    Site* site = FindRemoteSite(list, args.items[1]);
    if (!site)
        return 1;
    // As the window does: the send directory goes even when the site stays.
    site->ClearSendDirectory();
    if (!list.Remove(site))
        return session.Finish(1);
    session.doc.SetModifiedFlag(true);
    return session.Finish(0);
}

// "all", "changed" or "differences": the send dialog's choices 0, 1, 2.
int SendChoice(const std::string& mode)
{
    static const char* const choices[] = {"all", "changed", "differences"};
    for (int i = 0; i < 3; ++i) {
        if (mode == choices[i])
            return i;
    }
    return -1;
}

} // namespace

int CommandSites(const Arguments& args)
{
    static const char* const usage =
        "sites takes nothing, or local NAME, add NAME, edit NAME or remove NAME";
    if (!args.items.empty() && args.items.size() != 2)
        return UsageFail(usage);
    Session session;
    if (!session.Open(args.project, !args.items.empty()))
        return 1;
    if (args.items.empty())
        return ListSites(*session.doc.siteList);
    const std::string& action = args.items[0];
    if (action == "local")
        return SetLocalSite(session, args);
    if (action == "add")
        return AddSite(session, args);
    if (action == "edit")
        return EditSite(session, args);
    if (action == "remove")
        return RemoveSite(session, args);
    return UsageFail(usage);
}

int CommandSend(const Arguments& args)
{
    const std::string* destination = Value(args, "--to");
    const std::string* release = Value(args, "--release");
    if (!destination || !release)
        return UsageFail("send needs --to SITE and --release NAME");
    const std::string* mode = Value(args, "--mode");
    const int choice = mode ? SendChoice(*mode) : 0;
    if (choice < 0)
        return UsageFail("--mode takes all, changed or differences");
    Session session;
    if (!session.Open(args.project))
        return 1;
    // The settings the send dialog would hold; the project keeps them.
    SendSettings& settings = RCSOptions::instance().send;
    settings.destinationSite = *destination;
    settings.releaseToSend = *release;
    const std::string* original = Value(args, "--original");
    settings.originalRelease = original ? *original : std::string();
    settings.sendChoice = choice;
    settings.deleteTemporary = Has(args, "--delete-temporary");
    const int result = session.doc.siteList->SendRelease();
    session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

} // namespace kestro::cli
