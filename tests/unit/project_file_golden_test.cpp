// Whole project files compared byte for byte with files written by hand from
// the stored layout, and older layouts that other installations still hold.

#include "archive/archive.h"
#include "support/archive_bytes.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <utime.h>

#include <functional>
#include <sstream>

namespace kestro {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Bytes = test::ArchiveBytes;

// A revision in the newest layout, without its children count.
std::uint32_t RevisionBytes(Bytes& b, const std::string& name, std::uint32_t status, std::uint32_t parent,
                            std::uint32_t owner, std::uint32_t date, const std::string& message,
                            const std::string& locker, std::uint32_t file)
{
    const std::uint32_t index = b.item("RCSVersionItem", 4, name, status, parent);
    b.ref(owner).u32(date).str(message).str(locker).ref(file);
    return index;
}

void EmptyTrees(Bytes& b)
{
    b.item("RCSRoot", 4, "x", RootItem, 0);
    b.count(0);
    b.item("RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(0).str("").str("").str("");
}

// The settings blocks at their defaults, from the compare, report or
// check-in block to the end of the options block.
enum class From { Compare, Report, Checkin };
void DefaultBlocks(Bytes& b, From from)
{
    if (from == From::Compare)
        b.u32(2).u32(0).str("").str("").u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    if (from != From::Checkin)
        b.u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(0);
    b.u32(1).u32(1).u32(0).str("");                  // check-in
    b.u32(2).u32(0).str("").u32(1).u32(0).str("");  // check-out
}

// On a difference, its offset and the bytes around it.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const auto around = [at](const std::string& bytes) {
        std::ostringstream out;
        for (std::size_t i = at < 8 ? 0 : at - 8; i < std::min(bytes.size(), at + 16); ++i)
            out << (i == at ? " [" : " ") << std::hex << (bytes[i] & 0xFF) << (i == at ? "]" : "");
        return out.str();
    };
    return ::testing::AssertionFailure() << "bytes differ at offset " << at << "; expected " << expected.size()
                                         << " bytes, got " << actual.size() << "\n  expected:" << around(expected)
                                         << "\n  actual:  " << around(actual);
}

// The golden project.
constexpr std::uint32_t Date11 = 946684800;     // 2000-01-01
constexpr std::uint32_t Date12 = 978307200;     // 2001-01-01
constexpr std::uint32_t Date1211 = 1009843200;  // 2002-01-01
constexpr std::uint32_t Date13 = 1041379200;    // 2003-01-01
constexpr std::uint32_t ReleaseDate = 1041379300;
// Both the working file's time and the time recorded at the last check-in,
// so the file reads as checked in.
constexpr std::uint32_t WorkTime = 1600000000;

// Long enough for the one-byte-and-16-bit length form.
std::string FileTypes()
{
    std::string types;
    for (int i = 0; i < 20; ++i)
        types += "C files (*.c)|*.c|";
    return types;
}

// Long enough for the 32-bit length form.
std::string LongLogMessage()
{
    std::string message(70000, ' ');
    for (std::size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>('a' + i % 26);
    return message;
}

void GoldenOptionsBlock(Bytes& b)
{
    b.u32(8);
    b.u32(3).u32(1).u32(0).u32(1).u32(1).u32(0);  // import
    b.str("Paris").str("R1").str("/srv/incoming").str("Imported from Paris").u32(1);
    b.u32(2).str("Paris").str("R2").str("R1").u32(2);  // send
    b.str("release.h").str("#define BUILD \"%s\"\n");
    b.u32(1).u32(1);  // merge
    b.u32(2).u32(1).str("1.1").str("1.3").u32(1).u32(0).u32(1).u32(1).u32(0).u32(1);  // compare
    b.u32(2).str("1.2:").str("<2003").str("fred").str("Exp").u32(1).u32(0).u32(4);  // report
    b.u32(1).u32(0).u32(1).str(LongLogMessage());  // check-in
    b.u32(2).u32(1).str("1.2.1.1").u32(0).u32(1).str("2003/01/01");  // check-out
}

// The values GoldenOptionsBlock holds; a switch left out is false.
void SetGoldenOptions(RCSOptions& o)
{
    o.import = {.sourceSite = "Paris", .sourceDirectory = "/srv/incoming", .releaseName = "R1",
                .message = "Imported from Paris", .determineRevision = true, .lock = true, .force = true,
                .includeSubdirectories = true};
    o.send = {.destinationSite = "Paris", .releaseToSend = "R2", .originalRelease = "R1", .sendChoice = 2};
    o.defaultReleaseNameFile = "release.h";
    o.defaultBuildTemplate = "#define BUILD \"%s\"\n";
    o.merge = {.ignoreKeywords = true};
    o.compare = {.revision1 = "1.1", .revision2 = "1.3", .ignoreCase = true, .ignoreBlankSpace = true,
                 .contextDiff = true, .showCFunction = true, .noKeywords = true};
    o.report = {.revisions = "1.2:", .dates = "<2003", .users = "fred", .states = "Exp", .lockedOnly = true,
                .symbolicNames = false, .information = 4};
    o.checkin = {.lock = false, .keepTime = true, .logMessage = LongLogMessage()};
    o.checkout = {.revision = "1.2.1.1", .lock = false, .keepTime = true, .checkoutDate = "2003/01/01",
                  .noKeywords = true};
}

// Sites, working directory, a file with trunk and branch revisions owned by
// both sites, a file without revisions, a release naming revision 1.3, the
// project settings and every dialog block.
std::string GoldenProjectBytes(const std::string& workingDirectory)
{
    Bytes b;
    b.u32(5);
    b.object("SiteList", 3);
    b.count(2);
    const std::uint32_t london = b.object("Site", 3);
    b.count(1).str("1.1").str("3.1");
    b.str("London").str("london@example.org").str("mail london").str("R1");
    const std::uint32_t paris = b.object("Site", 3);
    b.count(3).str("1.2.1.1").str("2.1.1.1").str("1.2.1").str("2.1.1").str("1.2").str("2.1");
    b.str("Paris").str("paris@example.org").str("scp %s paris:").str("R0");
    b.ref(paris);  // the master
    b.str(workingDirectory);

    const std::uint32_t root = b.item("RCSRoot", 4, "golden", RootItem, 0);
    b.count(2);
    const std::uint32_t mainC = b.item("RCSFileItem", 4, "src\\main.c", CheckedIn | CoveredFlag, root);
    b.u32(WorkTime).str("1.3").count(3);
    RevisionBytes(b, "1.1", Revision, mainC, london, Date11, "Initial revision", "", mainC);
    b.count(0);
    const std::uint32_t rev12 = RevisionBytes(b, "1.2", Revision | CoveredFlag, mainC, paris, Date12,
                                              "Parser from Paris", "", mainC);
    b.count(1);
    RevisionBytes(b, "1.2.1.1", LockedRevision, rev12, london, Date1211, "Branch fix", "fred", mainC);
    b.count(0);
    const std::uint32_t rev13 =
        RevisionBytes(b, "1.3", Tip, mainC, paris, Date13, "Merged branch", "", mainC);
    b.count(0);
    b.item("RCSFileItem", 4, "readme.txt", NewFile, root);
    b.u32(0).str("").count(0);

    const std::uint32_t releases = b.item("RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(1);
    const std::uint32_t r1 = b.item("RCSReleaseItem", 4, "R1", Release, releases);
    b.u32(ReleaseDate).count(1);
    b.item("RCSReleaseVersionItem", 4, "1.3", ReleaseRevision, r1);
    b.ref(rev13).count(0);

    b.str(FileTypes()).str("version.h").str("#define VERSION \"%s\"\n");
    GoldenOptionsBlock(b);
    return b.data;
}

class ProjectFileTest : public ::testing::Test {
protected:
    CKestroDoc& doc() { return *project.doc; }
    std::string Dir() const { return project.scratch.path(); }
    std::string ProjectPath() const { return Dir() + "golden.rcs"; }
    std::string WorkingDirectory() const { return Dir() + "work/"; }

    // The disk as the golden project's file statuses say: src\main.c checked
    // in (RCS file beside the project, working file in the working
    // directory, unchanged since WorkTime) and readme.txt new.
    void PrepareDisk() const
    {
        project.scratch.write("work/src/main.c", "int main() {}\n");
        project.scratch.write("src/RCS/main.c,v", "head 1.3;\n");
        project.scratch.write("work/readme.txt", "read me\n");
        const utimbuf times{WorkTime, WorkTime};
        ASSERT_EQ(::utime((WorkingDirectory() + "src/main.c").c_str(), &times), 0);
    }

    void Open(const std::string& bytes, const std::string& path)
    {
        project.scratch.write(path.substr(Dir().size()), bytes);
        std::string error;
        ASSERT_TRUE(doc().OnOpenDocument(path, error)) << error;
    }
    void Open(const std::string& bytes) { Open(bytes, Dir() + "old.rcs"); }

    test::ProjectFixture project;
};

RCSVersionItem* AddRevision(RCSItem& parent, RCSFileItem& file, const std::string& name, std::uint32_t status,
                            Site* owner, std::time_t date, const std::string& message, const std::string& locker)
{
    RCSVersionItem* added = test::AddRevision(parent, file, name, date, message);
    added->status = status;
    added->owningSite = owner;
    added->locker = locker;
    return added;
}

TEST_F(ProjectFileTest, SavingTheProjectWritesTheGoldenBytes)
{
    PrepareDisk();
    ASSERT_TRUE(doc().SetWorkingDirectory(WorkingDirectory(), false));

    SiteList& sites = *doc().siteList;
    Site* london = sites.GetLocalSite();
    ASSERT_NE(london, nullptr);
    ASSERT_EQ(london->name, "London");
    london->emailAddress = "london@example.org";
    london->sendCommand = "mail london";
    london->lastRelease = "R1";
    london->RecordRevisionPair("3.1", "1.1");
    Site* paris = sites.Add("Paris", "paris@example.org");
    ASSERT_NE(paris, nullptr);
    paris->sendCommand = "scp %s paris:";
    paris->lastRelease = "R0";
    paris->RecordRevisionPair("2.1.1.1", "1.2.1.1");
    sites.SetMaster(paris);

    RCSRoot& root = *doc().root;
    RCSFileItem* mainC = test::AddFile(root, "src\\main.c");
    mainC->recordedTime = WorkTime;
    mainC->workingRevision = "1.3";
    mainC->UpdateStatus();
    mainC->SetCovered(true);
    ASSERT_EQ(mainC->status, CheckedIn | CoveredFlag) << "the disk does not match the golden file";
    AddRevision(*mainC, *mainC, "1.1", Revision, london, Date11, "Initial revision", "");
    RCSVersionItem* rev12 = AddRevision(*mainC, *mainC, "1.2", Revision | CoveredFlag, paris,
                                        Date12, "Parser from Paris", "");
    AddRevision(*rev12, *mainC, "1.2.1.1", LockedRevision, london, Date1211, "Branch fix", "fred");
    RCSVersionItem* rev13 =
        AddRevision(*mainC, *mainC, "1.3", Tip, paris, Date13, "Merged branch", "");
    test::AddFile(root, "readme.txt");

    auto release = std::make_unique<RCSReleaseItem>("R1");
    release->releaseDate = ReleaseDate;
    release->AddChild(std::make_unique<RCSReleaseVersionItem>(rev13));
    doc().releaseRoot->AddChild(std::move(release));

    doc().fileTypes = FileTypes();
    doc().releaseNameFile = "version.h";
    doc().releaseNameTemplate = "#define VERSION \"%s\"\n";
    SetGoldenOptions(RCSOptions::instance());

    std::string error;
    ASSERT_TRUE(doc().OnSaveDocument(ProjectPath(), error)) << error;
    EXPECT_TRUE(SameBytes(GoldenProjectBytes(WorkingDirectory()), test::ReadFile(ProjectPath())));
}

const RCSFileItem* FileOf(const RCSItem* item)
{
    while (item && !dynamic_cast<const RCSFileItem*>(item))
        item = item->parent;
    return static_cast<const RCSFileItem*>(item);
}

// One line per site and item with every field the project file stores, in
// hexadecimal for status codes; the links between objects are checked on the
// way and any that is wrong shows in the text.
std::string Describe(const CKestroDoc& doc)
{
    std::ostringstream out;
    const SiteList& sites = *doc.siteList;
    for (const auto& site : sites.sites) {
        out << "site " << site->name << " " << site->emailAddress << " [" << site->sendCommand << "] "
            << site->lastRelease;
        Pairs inverse;
        for (const auto& [local, remote] : site->localToSite.entries()) {
            out << " " << local << "=" << remote;
            inverse.emplace_back(remote, local);
        }
        out << (inverse == site->siteToLocal.entries() ? "" : " MAPS DIFFER")
            << (site.get() == sites.GetLocalSite() ? " local" : "") << (site.get() == sites.master ? " master" : "")
            << "\n";
    }
    const std::function<void(const RCSItem&, int)> item = [&](const RCSItem& it, int depth) {
        out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << it.name << " " << std::hex << it.status
            << std::dec;
        if (const auto* file = dynamic_cast<const RCSFileItem*>(&it))
            out << " time " << file->recordedTime << " rev " << file->workingRevision;
        if (const auto* r = dynamic_cast<const RCSVersionItem*>(&it))
            out << " by " << (r->owningSite ? r->owningSite->name : "-") << " " << r->date << " [" << r->message
                << "] " << r->locker << (r->file == FileOf(&it) ? "" : " WRONG FILE");
        if (const auto* release = dynamic_cast<const RCSReleaseItem*>(&it))
            out << " date " << release->releaseDate;
        if (const auto* entry = dynamic_cast<const RCSReleaseVersionItem*>(&it))
            out << " -> " << (entry->revisionRef ? entry->revisionRef->file->name + " " + entry->revisionRef->name : "-");
        out << "\n";
        for (const auto& child : it.children) {
            if (child->parent != &it)
                out << "WRONG PARENT\n";
            item(*child, depth + 1);
        }
    };
    item(*doc.root, 0);
    item(*doc.releaseRoot, 0);
    return out.str();
}

std::string OptionsBytes()
{
    Archive ar;
    RCSOptions::instance().serialize(ar);
    return ar.bytes();
}

TEST_F(ProjectFileTest, OpeningTheGoldenBytesRestoresEveryObjectAndSavesThemUnchanged)
{
    PrepareDisk();
    const std::string golden = GoldenProjectBytes(WorkingDirectory());
    Open(golden, ProjectPath());
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(doc().workingDirectory, WorkingDirectory());
    EXPECT_EQ(static_cast<RCSFileItem&>(*doc().root->children.at(0)).workingTime, WorkTime);
    EXPECT_EQ(Describe(doc()),
              "site London london@example.org [mail london] R1 1.1=3.1 local\n"
              "site Paris paris@example.org [scp %s paris:] R0 1.2.1.1=2.1.1.1 1.2.1=2.1.1 1.2=2.1 master\n"
              "golden 0\n"
              "  src\\main.c 15 time 1600000000 rev 1.3\n"
              "    1.1 8 by London 946684800 [Initial revision] \n"
              "    1.2 18 by Paris 978307200 [Parser from Paris] \n"
              "      1.2.1.1 7 by London 1009843200 [Branch fix] fred\n"
              "    1.3 a by Paris 1041379200 [Merged branch] \n"
              "  readme.txt 1 time 0 rev \n"
              "Releases c\n"
              "  R1 b date 1041379300\n"
              "    1.3 6 -> src\\main.c 1.3\n");
    EXPECT_EQ(doc().siteList->sites.at(1)->TranslateRevision("2.1.1.4", Site::Direction::SiteToLocal), "1.2.1.4");
    EXPECT_EQ(doc().fileTypes, FileTypes());
    EXPECT_EQ(doc().releaseNameFile, "version.h");
    EXPECT_EQ(doc().releaseNameTemplate, "#define VERSION \"%s\"\n");
    Bytes options;
    GoldenOptionsBlock(options);
    EXPECT_TRUE(SameBytes(options.data, OptionsBytes()));

    std::string error;
    ASSERT_TRUE(doc().OnSaveDocument(ProjectPath(), error)) << error;
    EXPECT_TRUE(SameBytes(golden, test::ReadFile(ProjectPath())));
}

// Version 1: no site list, no working directory, no release name entries;
// items of schema 1 and an options block of version 1 (check-in and a
// check-out block of schema 1).
TEST_F(ProjectFileTest, VersionOneProjectHasOnlyTheLocalSiteAndFindsFilesThroughParents)
{
    Bytes b;
    b.u32(1);
    const std::uint32_t root = b.item("RCSRoot", 1, "Old name", RootItem, 0);
    b.count(1);
    const std::uint32_t file = b.item("RCSFileItem", 1, "a.c", MissingFile, root);
    b.u32(0).str("").count(1);
    const std::uint32_t rev11 = b.item("RCSVersionItem", 1, "1.1", Revision, file);
    b.u32(Date11).str("First").count(1);
    b.item("RCSVersionItem", 1, "1.1.1.1", LockedRevision, rev11);
    b.u32(Date12).str("Side branch").count(0);
    b.item("RCSReleaseRoot", 1, "Releases", ReleaseRoot, 0);
    b.count(0);
    b.str("*.c");
    b.u32(1);
    b.u32(1).u32(0).u32(1).str("Old message");  // check-in
    b.u32(1).str("1.1").u32(0).u32(1).str("2000/06/01");  // check-out
    RCSOptions& options = RCSOptions::instance();
    options.checkout.noKeywords = true;
    options.report.information = 3;
    options.defaultReleaseNameFile = "kept.h";
    Open(b.data);

    EXPECT_EQ(Describe(doc()),
              "site London  []  local master\n"
              "old 0\n"
              "  a.c 2 time 0 rev \n"
              "    1.1 8 by London 946684800 [First] \n"
              "      1.1.1.1 7 by London 978307200 [Side branch] \n"
              "Releases c\n");
    EXPECT_EQ(doc().workingDirectory, Dir());
    EXPECT_EQ(doc().fileTypes, "*.c");
    const CheckinSettings& checkin = options.checkin;
    EXPECT_TRUE(!checkin.lock && checkin.keepTime && checkin.logMessage == "Old message");
    const CheckoutSettings& checkout = options.checkout;
    EXPECT_TRUE(checkout.noKeywords) << "not in a schema-1 check-out block";
    EXPECT_TRUE(checkout.revision == "1.1" && !checkout.lock && checkout.keepTime
                && checkout.checkoutDate == "2000/06/01");
    EXPECT_EQ(options.report.information, 3);
    EXPECT_EQ(options.defaultReleaseNameFile, "kept.h");
}

// Version 2: schema-2 revisions owned by the local site, status codes out of
// their class's range, and a report block of schema 1.
TEST_F(ProjectFileTest, VersionTwoProjectIsMarkedModifiedAndRepairsStatusCodes)
{
    project.scratch.write("a.c", "working file\n");
    Bytes b;
    b.u32(2);
    const std::uint32_t root = b.item("RCSRoot", 4, "x", RootItem, 0);
    b.count(1);
    // Code 9 belongs to revisions; the bit above the flag must survive.
    const std::uint32_t file = b.item("RCSFileItem", 4, "a.c", 0x100 | LockedTip, root);
    b.u32(0).str("").count(1);
    b.item("RCSVersionItem", 2, "1.1", OnlyInRcs | CoveredFlag, file);
    b.u32(Date11).str("First").ref(file).count(0);
    b.item("RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(0);
    b.str("*.c").str("version.h").str("V %s");
    b.u32(2);
    b.u32(1).u32(1).str("<2001").u32(2).u32(1).str("1.1").str("Exp").u32(0).u32(1).str("anne");
    DefaultBlocks(b, From::Checkin);
    Open(b.data);

    EXPECT_TRUE(doc().IsModified());
    EXPECT_EQ(doc().releaseNameFile, "version.h");
    EXPECT_EQ(doc().releaseNameTemplate, "V %s");
    EXPECT_EQ(Describe(doc()),
              "site London  []  local master\n"
              "old 0\n"
              "  a.c 101 time 0 rev \n"
              "    1.1 18 by London 946684800 [First] \n"
              "Releases c\n");
    const ReportSettings& report = RCSOptions::instance().report;
    EXPECT_EQ(report.information, 4);
    EXPECT_TRUE(report.dates == "<2001" && report.lockedOnly && report.revisions == "1.1" && report.states == "Exp"
                && !report.symbolicNames && report.users == "anne");
}

// Version 3 files had no site list: each revision of schema 3 held its
// owning site, the first time as a whole "Site" object.
TEST_F(ProjectFileTest, VersionThreeRevisionsBringTheirSitesIntoTheSiteList)
{
    Bytes b;
    b.u32(3);
    const std::uint32_t root = b.item("RCSRoot", 4, "x", RootItem, 0);
    b.count(1);
    const std::uint32_t file = b.item("RCSFileItem", 4, "a.c", MissingFile, root);
    b.u32(0).str("").count(4);
    b.item("RCSVersionItem", 3, "1.1", Revision, file);
    const std::uint32_t paris = b.object("Site", 2);
    b.str("Paris").str("paris@example.org").str("mail paris").str("R7");
    b.u32(Date11).str("From Paris").ref(file).count(0);
    b.item("RCSVersionItem", 3, "1.2", Revision, file);
    const std::uint32_t london = b.object("Site", 2);
    b.str("LONDON").str("other@example.org").str("").str("");
    b.u32(Date12).str("From London").ref(file).count(0);
    b.item("RCSVersionItem", 3, "1.3", LockedRevision, file);
    b.ref(paris).u32(Date13).str("Paris again").ref(file).count(0);
    b.item("RCSVersionItem", 3, "1.4", Tip, file);
    b.ref(london).u32(Date13).str("London again").ref(file).count(0);
    b.item("RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(0);
    b.str("").str("").str("");
    b.u32(3);
    b.u32(1).str("1.1").str("1.4").u32(1).u32(1).u32(0).u32(0).u32(1).u32(0);  // compare
    DefaultBlocks(b, From::Report);
    RCSOptions::instance().compare.noKeywords = true;
    Open(b.data);

    // The listed local site is kept, not the stored copy.
    EXPECT_EQ(Describe(doc()),
              "site London  []  local master\n"
              "site Paris paris@example.org [mail paris] R7\n"
              "old 0\n"
              "  a.c 2 time 0 rev \n"
              "    1.1 8 by Paris 946684800 [From Paris] \n"
              "    1.2 8 by London 978307200 [From London] \n"
              "    1.3 7 by Paris 1041379200 [Paris again] \n"
              "    1.4 a by London 1041379200 [London again] \n"
              "Releases c\n");
    const CompareSettings& compare = RCSOptions::instance().compare;
    EXPECT_TRUE(compare.noKeywords) << "not in a schema-1 compare block";
    EXPECT_TRUE(compare.revision1 == "1.1" && compare.revision2 == "1.4" && compare.contextDiff
                && compare.ignoreBlankLines && !compare.ignoreBlankSpace && !compare.ignoreCase
                && compare.ignoreWhiteSpace && !compare.showCFunction);
}

// Version 4: a schema-1 site list (no master) of schema-1 sites (no maps), and
// an options block of version 4, which starts at the merge block.
TEST_F(ProjectFileTest, SchemaOneSiteListMakesItsFirstSiteMaster)
{
    Bytes b;
    b.u32(4);
    b.object("SiteList", 1);
    b.count(2);
    b.object("Site", 1);
    b.str("Oslo").str("oslo@example.org").str("mail oslo").str("R3");
    b.object("Site", 1);
    b.str("Rome").str("rome@example.org").str("").str("R2");
    EmptyTrees(b);
    b.u32(4);
    b.u32(1).u32(1);  // merge
    b.u32(2).u32(0).str("").str("").u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);  // compare
    b.u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(5);  // report
    DefaultBlocks(b, From::Checkin);
    RCSOptions& options = RCSOptions::instance();
    options.import.sourceSite = "Kept";
    options.send.destinationSite = "Kept";
    options.defaultReleaseNameFile = "kept.h";
    options.defaultBuildTemplate = "kept %s";
    Open(b.data);

    EXPECT_EQ(Describe(doc()),
              "site Oslo oslo@example.org [mail oslo] R3 local master\n"
              "site Rome rome@example.org [] R2\n"
              "old 0\n"
              "Releases c\n");
    EXPECT_EQ(doc().workingDirectory, Dir());
    EXPECT_TRUE(options.merge.ignoreKeywords);
    EXPECT_EQ(options.report.information, 5);
    EXPECT_TRUE(options.import.sourceSite == "Kept" && options.send.destinationSite == "Kept"
                && options.defaultReleaseNameFile == "kept.h" && options.defaultBuildTemplate == "kept %s");
}

// Version 5 with a schema-2 site list of schema-2 sites, a working directory
// that no longer exists, and the first import and send blocks.
TEST_F(ProjectFileTest, SchemaTwoSitesAndFirstImportAndSendBlocks)
{
    Bytes b;
    b.u32(5);
    b.object("SiteList", 2);
    b.count(2);
    b.object("Site", 2);
    b.str("Oslo").str("").str("").str("");
    const std::uint32_t rome = b.object("Site", 2);
    b.str("Rome").str("rome@example.org").str("mail rome").str("R9");
    b.ref(rome);
    b.str(Dir() + "gone/");
    EmptyTrees(b);
    b.u32(8);
    b.u32(1).str("Rome").str("R9").str("/in").str("From Rome").u32(1);  // import
    b.u32(1).str("Rome").str("R10").u32(12345).str("R9").u32(1);  // send
    b.str("r.h").str("%s");
    b.u32(1).u32(0);  // merge
    DefaultBlocks(b, From::Compare);
    ImportSettings& import = RCSOptions::instance().import;
    import.includeSubdirectories = import.mergeAfterImport = import.lock = import.force = import.keepTime = true;
    Open(b.data);

    EXPECT_EQ(Describe(doc()),
              "site Oslo  []  local\n"
              "site Rome rome@example.org [mail rome] R9 master\n"
              "old 0\n"
              "Releases c\n");
    EXPECT_EQ(doc().workingDirectory, Dir()) << "a vanished working directory falls back";
    EXPECT_TRUE(import.sourceSite == "Rome" && import.releaseName == "R9" && import.sourceDirectory == "/in"
                && import.message == "From Rome" && import.determineRevision);
    EXPECT_TRUE(import.includeSubdirectories && import.mergeAfterImport && import.lock && import.force
                && import.keepTime)
        << "not in a version-1 import block";
    const SendSettings& send = RCSOptions::instance().send;
    EXPECT_TRUE(send.destinationSite == "Rome" && send.releaseToSend == "R10" && send.originalRelease == "R9"
                && send.sendChoice == 1);
    EXPECT_EQ(RCSOptions::instance().defaultReleaseNameFile, "r.h");
}

TEST_F(ProjectFileTest, ImportBlockVersionTwoKeepsTheTwoNewerSwitches)
{
    Bytes b;
    b.u32(5);
    b.object("SiteList", 3);
    b.count(0).ref(0);
    b.str("");
    EmptyTrees(b);
    b.u32(7);
    b.u32(2).u32(0).u32(1).u32(0).str("Rome").str("R9").str("/in").str("").u32(0);  // import
    b.u32(2).str("").str("").str("").u32(0);  // send
    b.str("").str("");
    b.u32(1).u32(0);  // merge
    DefaultBlocks(b, From::Compare);
    ImportSettings& import = RCSOptions::instance().import;
    import.includeSubdirectories = import.mergeAfterImport = import.lock = import.keepTime = true;
    import.force = false;
    Open(b.data);

    EXPECT_EQ(doc().siteList->sites.size(), 1u) << "an empty list gets the local site";
    EXPECT_TRUE(import.includeSubdirectories && import.mergeAfterImport && !import.lock && import.force
                && !import.keepTime);
    EXPECT_EQ(import.sourceSite, "Rome");
}

} // namespace
} // namespace kestro
