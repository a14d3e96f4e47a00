// Two sites of one project, London and Paris, each in its own directory,
// passing releases back and forth. The process holds one document at a
// time, so the test saves one site's project before it opens the other's.

#include "support/rcs_history.h"

#include <sstream>
#include <tuple>

namespace kestro {
namespace {

const std::vector<std::string> Files = {"kw.c", "tail.txt", "empty.txt", "shrinks.txt", "crlf.txt", "bin.dat"};

// Every revision of the files below a site's directory, by file and
// revision, as the RCS file holds it (keywords unexpanded: expanded values
// name the site's own check-in dates).
std::map<std::string, std::string> AllRevisionTexts(const std::string& directory)
{
    std::map<std::string, std::string> texts;
    for (const std::string& file : Files) {
        const std::string rcsPath = directory + "RCS/" + file + ",v";
        std::istringstream lines(test::Rlog(rcsPath));
        for (std::string line; std::getline(lines, line);) {
            if (!line.starts_with("revision "))
                continue;
            const std::string revision = line.substr(9, line.find_first_of("\t ", 9) - 9);
            texts[file + "@" + revision] = test::RevisionText(rcsPath, revision);
        }
    }
    return texts;
}

// A release's entries by file: revision number, text and log message, as
// the RCS file holds them.
using Held = std::map<std::string, std::tuple<std::string, std::string, std::string>>;

struct TwoSites : test::RcsProjectTest {
    TwoSites() { SetItemView(nullptr); }

    // Saves the project open now, then opens the site's, or makes it for a
    // new site of that name.
    void Open(const test::ScratchDirectory& directory, const std::string& newSite = {})
    {
        std::string error;
        if (!doc->GetPathName().empty()) {
            ASSERT_TRUE(doc->OnSaveDocument(doc->GetPathName(), error)) << error;
        }
        doc.reset();
        if (!newSite.empty())
            RCSOptions::instance().defaultSiteName = newSite;
        doc = std::make_unique<CKestroDoc>();
        const std::string path = directory.path() + "Parser.rcs";
        if (newSite.empty()) {
            ASSERT_TRUE(doc->OnOpenDocument(path, error)) << error;
        } else {
            doc->OnNewDocument();
            ASSERT_TRUE(doc->OnSaveDocument(path, error)) << error;
        }
    }

    Held Snapshot(const std::string& releaseName)
    {
        Held held;
        RCSReleaseItem* release = doc->releaseRoot->FindRelease(releaseName);
        EXPECT_NE(release, nullptr) << releaseName;
        if (!release)
            return held;
        for (const auto& child : release->children) {
            const RCSVersionItem* revision = static_cast<RCSReleaseVersionItem*>(child.get())->revisionRef;
            const std::string rcsPath = revision->file->GetRcsPath();
            held[revision->file->name] = {revision->name, test::RevisionText(rcsPath, revision->name),
                                          test::LogMessage(rcsPath, revision->name)};
        }
        return held;
    }

    // Paris has so many revisions, each with the text London's of that
    // number holds; London, where the history began, has every revision.
    void ExpectSameRevisions(std::size_t parisCount)
    {
        const auto there = AllRevisionTexts(paris.path()), here = AllRevisionTexts(london.path());
        EXPECT_EQ(there.size(), parisCount);
        for (const auto& [revision, text] : there)
            EXPECT_EQ(text, here.contains(revision) ? here.at(revision) : "(not in London)") << revision;
    }

    test::ScratchDirectory london;
    test::ScratchDirectory paris;
};

TEST_F(TwoSites, DifferencesBuildTheSameRevisionsAtBothSites)
{
    const std::string fromLondon = london.path() + "RCSSites/Parser/Paris/London.RCC";
    const std::string fromParis = paris.path() + "RCSSites/Parser/London/Paris.RCC";
    const std::string binary("\x00\x01\x02\n\xff\xfe\n\x7f", 8);

    Open(london, "London");
    doc->siteList->Add("Paris", "");
    ModelCheckIn("kw.c", "/*\n * $Id$\n * $Revision$\n * $Log$\n */\nint one;\n", "kw first");
    ModelCheckIn("kw.c", "/*\n * $Id$\n * $Revision$\n * $Log$\n */\nint one;\nint two;\n", "kw second");
    ModelCheckIn("tail.txt", "one\ntwo", "no line break at the end");
    ModelCheckIn("empty.txt", "", "empty");
    ModelCheckIn("shrinks.txt", "x\ny\n", "two lines");
    ModelCheckIn("crlf.txt", "a\r\nb\r\n", "carriage returns");
    ModelCheckIn("bin.dat", binary, "binary");
    ASSERT_NE(FreezeProject(*doc, "R1"), nullptr);
    ASSERT_EQ(Send("Paris", "R1", "", 2), 0) << test::Results();

    Open(paris, "Paris");
    doc->siteList->SetMaster(doc->siteList->Add("London", ""));
    ASSERT_EQ(Receive(fromLondon), 0) << test::Results();
    ExpectSameRevisions(6);

    // The keyword file moves on twice, and every other file changes in the
    // way that is hardest on a difference.
    Open(london);
    // As users do, the next revision is made from the checked-out file, whose
    // keywords this site expanded.
    ModelCheckIn("kw.c", test::ReadFile(london.path() + "kw.c") + "int three;\n", "kw third");
    ModelCheckIn("kw.c", "/*\n * $Id$\n * $Revision$\n * $Log$\n */\nint zero;\nint one;\nint three;\n", "kw fourth");
    ModelCheckIn("tail.txt", "one\ntwo\nthree", "still no line break");
    ModelCheckIn("empty.txt", "now\nfull\n", "filled");
    ModelCheckIn("shrinks.txt", "", "emptied");
    ModelCheckIn("crlf.txt", "a\r\nB\r\nc", "changed and cut");
    ModelCheckIn("bin.dat", binary + "\n\x00", "binary grows");
    ASSERT_NE(FreezeProject(*doc, "R2"), nullptr);
    ASSERT_EQ(Send("Paris", "R2", "R1", 2), 0) << test::Results();
    const std::string commands = test::ReadFile(fromLondon);
    for (const char* line : {"DIFF 1.2 1.4 kw.c\r\n", "DIFF 1.1 1.2 tail.txt\r\n", "DIFF 1.1 1.2 empty.txt\r\n",
                             "DIFF 1.1 1.2 shrinks.txt\r\n", "DIFF 1.1 1.2 crlf.txt\r\n", "DIFF 1.1 1.2 bin.dat\r\n"})
        EXPECT_TRUE(test::Has(commands, line)) << line << commands;
    const Held r2 = Snapshot("R2");

    Open(paris);
    ASSERT_EQ(Receive(fromLondon), 0) << test::Results();
    // One entry brings kw.c 1.3 and 1.4; the revision made here carries both
    // messages.
    Held expected = r2;
    std::get<2>(expected["kw.c"]) = "kw fourth\nkw third\n";
    EXPECT_EQ(Snapshot("R2"), expected);
    ExpectSameRevisions(12);

    // Paris, not the master, works on a branch of its own; two revisions of
    // one file travel as two differences, the second made from the first.
    ModelCheckIn("kw.c", test::ReadFile(paris.path() + "kw.c") + "int paris;\n", "kw Paris");
    ModelCheckIn("kw.c", "/*\n * $Id$\n * $Revision$\n * $Log$\n */\nint one;\nint paris;\n", "kw Paris again");
    ModelCheckIn("tail.txt", "one\ntwo\nthree\n", "line break at last");
    ASSERT_NE(FreezeProject(*doc, "R3"), nullptr);
    ASSERT_EQ(Send("London", "R3", "", 2), 0) << test::Results();
    const std::string fromBranch = test::ReadFile(fromParis);
    for (const char* line : {"DIFF 1.4 1.4.1.1 kw.c\r\n", "DIFF 1.4.1.1 1.4.1.2 kw.c\r\n", "DIFF 1.2 1.2.1.1 tail.txt\r\n"})
        EXPECT_TRUE(test::Has(fromBranch, line)) << line << fromBranch;
    const Held r3 = Snapshot("R3");

    Open(london);
    ASSERT_EQ(Receive(fromParis), 0) << test::Results();
    EXPECT_EQ(Snapshot("R3"), r3);
    EXPECT_EQ(test::LogMessage("RCS/kw.c,v", "1.4.1.2"), "kw Paris again\n");
    ExpectSameRevisions(15);
    EXPECT_TRUE(doc->root->CanFreeze());
}

} // namespace
} // namespace kestro
