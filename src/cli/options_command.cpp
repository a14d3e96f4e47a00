// The options command: lists, reads and sets what the Options sheet holds,
// by the names its labels give. Project settings travel in the project file;
// the others are the user's and apply to every project.

#include "app/release_name_file.h"
#include "cli/cli_session.h"
#include "cli/output_format.h"
#include "model/options.h"
#include "model/site.h"
#include "model/site_list.h"

#include <functional>
#include <iostream>

namespace kestro::cli {

namespace {

struct Setting {
    const char* name;
    bool ofProject;  // false: the user's, for every project
    std::function<std::string(CKestroDoc&)> get;
    // Returns an empty string, or why the value is refused.
    std::function<std::string(CKestroDoc&, const std::string&)> set;
};

std::string SwitchText(bool on)
{
    return on ? "true" : "false";
}

std::string ReadSwitch(const std::string& text, bool& on)
{
    if (text == "true" || text == "yes" || text == "on" || text == "1")
        on = true;
    else if (text == "false" || text == "no" || text == "off" || text == "0")
        on = false;
    else
        return "takes true or false";
    return std::string();
}

Setting UserText(const char* name, std::string RCSOptions::*field)
{
    return {name, false, [field](CKestroDoc&) { return RCSOptions::instance().*field; },
            [field](CKestroDoc&, const std::string& value) {
                RCSOptions::instance().*field = value;
                return std::string();
            }};
}

Setting UserSwitch(const char* name, bool RCSOptions::*field)
{
    return {name, false, [field](CKestroDoc&) { return SwitchText(RCSOptions::instance().*field); },
            [field](CKestroDoc&, const std::string& value) {
                return ReadSwitch(value, RCSOptions::instance().*field);
            }};
}

Setting ProjectText(const char* name, std::string CKestroDoc::*field)
{
    return {name, true, [field](CKestroDoc& doc) { return doc.*field; },
            [field](CKestroDoc& doc, const std::string& value) {
                doc.*field = value;
                return std::string();
            }};
}

Setting LocalSiteText(const char* name, std::string Site::*field, bool isName = false)
{
    return {name, true,
            [field](CKestroDoc& doc) {
                const Site* local = doc.siteList->GetLocalSite();
                return local ? local->*field : std::string();
            },
            [field, isName](CKestroDoc& doc, const std::string& value) {
                Site* local = doc.siteList->GetLocalSite();
                if (!local)
                    return std::string("there is no local site");
                if (isName && !IsValidSiteName(value))
                    return std::string("cannot be blank, \".\" or \"..\", or hold \"/\" or \"\\\"");
                const Site* other = isName ? doc.siteList->Find(value) : nullptr;
                if (other && other != local)
                    return std::string("names another site already");
                local->*field = value;
                return std::string();
            }};
}

const std::vector<Setting>& Settings()
{
    static const std::vector<Setting> settings{
        UserSwitch("use-universal-time", &RCSOptions::useUniversalTime),
        UserSwitch("sort-highest-revisions-first", &RCSOptions::sortHighestFirst),
        UserText("time-display-format", &RCSOptions::timeFormat),
        ProjectText("file-types", &CKestroDoc::fileTypes),
        UserText("default-file-types", &RCSOptions::defaultFileTypes),
        {"release-name-file", true, [](CKestroDoc& doc) { return doc.releaseNameFile; },
         [](CKestroDoc& doc, const std::string& value) {
             // Another user's project may carry it: it is only ever written
             // inside the working directory.
             const std::string problem =
                 ReleaseNameFileProblem(value, doc.GetProjectDirectory(), doc.GetWorkingDirectory());
             if (problem.empty())
                 doc.releaseNameFile = value;
             return problem;
         }},
        ProjectText("release-name-template", &CKestroDoc::releaseNameTemplate),
        UserText("default-release-name-file", &RCSOptions::defaultReleaseNameFile),
        UserText("default-release-name-template", &RCSOptions::defaultBuildTemplate),
        LocalSiteText("site-name", &Site::name, true),
        LocalSiteText("site-email-address", &Site::emailAddress),
        LocalSiteText("send-command", &Site::sendCommand),
        UserText("default-site-name", &RCSOptions::defaultSiteName),
        UserText("default-site-email-address", &RCSOptions::defaultSiteEmail),
        UserText("default-send-command", &RCSOptions::defaultSendCommand),
    };
    return settings;
}

const Setting* FindSetting(const std::string& name)
{
    for (const Setting& setting : Settings()) {
        if (name == setting.name)
            return &setting;
    }
    return nullptr;
}

} // namespace

int CommandOptions(const Arguments& args)
{
    const Setting* setting = nullptr;
    if (!args.items.empty() && !(setting = FindSetting(args.items.front())))
        return UsageFail("no option is named " + args.items.front());
    const bool settingValue = args.items.size() == 2;
    Session session;
    if (!session.Open(args.project, settingValue))
        return 1;
    if (!setting) {
        for (const Setting& each : Settings())
            std::cout << each.name << "=" << EscapeField(each.get(session.doc)) << "\n";
        return 0;
    }
    if (!settingValue) {
        std::cout << EscapeField(setting->get(session.doc)) << "\n";
        return 0;
    }
    const std::string refusal = setting->set(session.doc, UnescapeField(args.items[1]));
    if (!refusal.empty())
        return Fail(std::string(setting->name) + ": " + refusal);
    if (setting->ofProject) {
        session.doc.SetModifiedFlag(true);
    } else {
        RCSOptions::instance().SaveOptions();
    }
    return session.Finish(0);
}

} // namespace kestro::cli
