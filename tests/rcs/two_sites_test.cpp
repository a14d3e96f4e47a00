// Two sites of one project, London and Paris, each in its own directory,
// passing releases back and forth. The process holds one document at a
// time, so the test saves one site's project before it opens the other's.

#include "app/command_results.h"
#include "model/file_item.h"
#include "model/paths.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "ops/release_item.h"
#include "ops/release_root.h"
#include "ops/release_version_item.h"
#include "sites/site_list.h"
#include "support/rcs_history.h"
#include "support/recording_interaction.h"
#include "support/test_project.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

namespace kestro {
namespace {

namespace fs = std::filesystem;

// The log message of one revision: rlog's lines after its date (and
// branches) line up to the next separator row.
std::string LogOf(const std::string& rcsPath, const std::string& revision)
{
    std::string output;
    EXPECT_EQ(test::RunProgram({"rlog", "-N", "-r" + revision, rcsPath}, &output), 0) << output;
    std::istringstream lines(output);
    std::string line, log;
    bool inLog = false;
    while (std::getline(lines, line)) {
        if (line.starts_with("----------------------------") || line.starts_with("=============")) {
            if (inLog)
                break;
        } else if (line.starts_with("date: ")) {
            inLog = true;
        } else if (inLog && !(log.empty() && line.starts_with("branches: "))) {
            log += line + "\n";
        }
    }
    return log;
}

// A release's entries by file: revision number, text and log message.
using Held = std::map<std::string, std::tuple<std::string, std::string, std::string>>;

struct TwoSites : ::testing::Test {
    TwoSites()
    {
        test::ResetOptions();
        RCSOptions::instance().userName = test::LoginName();
        SetItemView(nullptr);
    }

    void Save()
    {
        std::string error;
        if (doc) {
            ASSERT_TRUE(doc->OnSaveDocument(doc->GetPathName(), error)) << error;
        }
    }

    void Create(const test::ScratchDirectory& directory, const std::string& siteName)
    {
        Save();
        doc.reset();
        RCSOptions::instance().defaultSiteName = siteName;
        doc = std::make_unique<CKestroDoc>();
        doc->OnNewDocument();
        std::string error;
        ASSERT_TRUE(doc->OnSaveDocument(directory.path() + "Parser.rcs", error)) << error;
    }

    void Open(const test::ScratchDirectory& directory)
    {
        Save();
        doc.reset();
        std::string error;
        doc = std::make_unique<CKestroDoc>();
        ASSERT_TRUE(doc->OnOpenDocument(directory.path() + "Parser.rcs", error)) << error;
    }

    void CheckIn(const std::string& name, const std::string& text, const std::string& message)
    {
        const std::string path = doc->GetWorkingDirectory() + NativePath(name);
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
        test::WriteText(path, text);
        RCSFileItem* file = doc->root->FindFile(name);
        if (!file)
            file = doc->AddFile(path);
        ASSERT_NE(file, nullptr) << name;
        file->PrepareCheckin();
        CheckinSettings& settings = RCSOptions::instance().checkin;
        settings.logMessage = message;
        settings.lock = true;
        settings.force = true;
        ASSERT_EQ(file->Checkin(nullptr), 0) << CommandResults::instance().Text();
    }

    int Send(const std::string& to, const std::string& release, const std::string& original, int choice)
    {
        CommandResults::instance().ClearResults();
        SendSettings& settings = RCSOptions::instance().send;
        settings.destinationSite = to;
        settings.releaseToSend = release;
        settings.originalRelease = original;
        settings.sendChoice = choice;
        settings.deleteTemporary = false;
        return doc->siteList->SendRelease();
    }

    int Receive(const std::string& path)
    {
        CommandResults::instance().ClearResults();
        return doc->siteList->ReceiveRelease(path);
    }

    Held Snapshot(const std::string& releaseName)
    {
        Held held;
        RCSReleaseItem* release = doc->releaseRoot->FindRelease(releaseName);
        if (!release) {
            ADD_FAILURE() << "no release " << releaseName;
            return held;
        }
        for (const auto& child : release->children) {
            const RCSVersionItem* revision = static_cast<RCSReleaseVersionItem*>(child.get())->revisionRef;
            const std::string rcsPath = revision->file->GetRcsPath();
            std::string text;
            EXPECT_EQ(test::RunProgram({"co", "-q", "-p", "-r" + revision->name, rcsPath}, &text), 0) << text;
            held[revision->file->name] = {revision->name, text, LogOf(rcsPath, revision->name)};
        }
        return held;
    }

    std::string Results() const { return CommandResults::instance().Text(); }

    test::ScratchDirectory london;
    test::ScratchDirectory paris;
    test::RecordingInteraction interaction;
    std::unique_ptr<CKestroDoc> doc;
};

TEST_F(TwoSites, ReleasesTravelBothWaysAndStayTheSame)
{
    const std::string fromLondon = london.path() + "RCSSites/Parser/Paris/London.RCC";
    const std::string fromParis = paris.path() + "RCSSites/Parser/London/Paris.RCC";

    // London starts the project and is the master of both sites, so that
    // both number their revisions alike.
    Create(london, "London");
    doc->siteList->GetLocalSite()->emailAddress = "office@london.example";
    doc->siteList->Add("Paris", "");
    CheckIn("a.c", "a 1\n", "a first");
    CheckIn("src\\b.c", "b 1\n", "b first");
    CheckIn("c.c", "c 1\n", "c first");
    ASSERT_NE(FreezeProject(*doc, "R1"), nullptr);
    ASSERT_EQ(Send("Paris", "R1", "", 0), 0) << Results();
    const Held r1 = Snapshot("R1");

    Create(paris, "Paris");
    doc->siteList->SetMaster(doc->siteList->Add("London", ""));
    ASSERT_EQ(Receive(fromLondon), 0) << Results();
    EXPECT_EQ(Snapshot("R1"), r1);
    EXPECT_EQ(doc->siteList->Find("London")->emailAddress, "office@london.example");

    // Paris changes a.c once and c.c twice, adds d.c and leaves b.c out.
    CheckIn("a.c", "a 1\na Paris\n", "a in Paris");
    CheckIn("c.c", "c 1\nc Paris 1\n", "c in Paris once");
    CheckIn("c.c", "c 1\nc Paris 2\n", "c in Paris twice");
    CheckIn("d.c", "d 1\n", "d new in Paris");
    RCSReleaseItem* r2 = FreezeProject(*doc, "R2");
    ASSERT_NE(r2, nullptr);
    r2->FindFileEntry("src\\b.c")->Detach();
    ASSERT_EQ(Send("London", "R2", "", 1), 0) << Results();
    const std::string commands = test::ReadFile(fromParis);
    EXPECT_NE(commands.find("FILE 1.1 1.1.1.1 c.c\r\n"), std::string::npos) << commands;
    EXPECT_NE(commands.find("FILE 1.1.1.1 1.1.1.2 c.c\r\n"), std::string::npos) << commands;
    EXPECT_NE(commands.find("DELE 1.1 - src\\b.c\r\n"), std::string::npos) << commands;
    const Held r2Held = Snapshot("R2");
    EXPECT_EQ(r2Held.count("src\\b.c"), 0u);

    Open(london);
    ASSERT_EQ(Receive(fromParis), 0) << Results();
    EXPECT_EQ(Snapshot("R2"), r2Held);
    EXPECT_EQ(LogOf("RCS/c.c,v", "1.1.1.1"), "c in Paris once\n");
    Site* parisHere = doc->siteList->Find("Paris");
    EXPECT_EQ(parisHere->lastRelease, "R2");
    EXPECT_EQ(parisHere->TranslateRevision("1.1.1.2", Site::Direction::SiteToLocal), "1.1.1.2");

    // London goes on from Paris's a.c. Differences cannot be received;
    // complete files can, and b.c, which Paris still has, is taken as it is.
    CheckIn("a.c", "a 1\na Paris\na London\n", "a in London");
    ASSERT_NE(FreezeProject(*doc, "R3"), nullptr);
    ASSERT_EQ(Send("Paris", "R3", "R2", 2), 0) << Results();
    EXPECT_NE(test::ReadFile(fromLondon).find("DIFF 1.1.1.1 1.1.1.1.1.1 a.c\r\n"), std::string::npos);
    QTemporaryDir kept;
    const std::string differences = kept.path().toStdString() + "/London.RCC";
    fs::copy_file(fromLondon, differences);
    ASSERT_EQ(Send("Paris", "R3", "R2", 1), 0) << Results();
    const Held r3 = Snapshot("R3");
    EXPECT_EQ(r3.size(), 4u);

    Open(paris);
    EXPECT_EQ(Receive(differences), 1);
    EXPECT_NE(Results().find("Import file - DIFF not supported\r\n"), std::string::npos) << Results();
    EXPECT_EQ(doc->releaseRoot->FindRelease("R3"), nullptr);
    ASSERT_EQ(Receive(fromLondon), 0) << Results();
    EXPECT_NE(Results().find("src\\b.c : 1.1 not checked in as it already exists\r\n"), std::string::npos);
    EXPECT_EQ(Snapshot("R3"), r3);
    EXPECT_TRUE(doc->root->CanFreeze());
}

} // namespace
} // namespace kestro
