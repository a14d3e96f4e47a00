// Whole project files compared byte for byte with files written by hand from
// the stored layout, and older layouts that other installations still hold.

#include "app/document.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/site.h"
#include "model/site_list.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <utime.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kestro {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Writes archive bytes straight from the layout, keeping the index sequence
// that classes and objects share, so that expected files owe nothing to the
// Archive class they check.
class Bytes {
public:
    Bytes& u16(std::uint16_t v)
    {
        data.push_back(static_cast<char>(v & 0xFF));
        data.push_back(static_cast<char>(v >> 8));
        return *this;
    }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& str(const std::string& s)
    {
        if (s.size() < 0xFF) {
            data.push_back(static_cast<char>(s.size()));
        } else if (s.size() < 0xFFFE) {
            data.push_back('\xFF');
            u16(static_cast<std::uint16_t>(s.size()));
        } else {
            data.push_back('\xFF');
            u16(0xFFFF);
            u32(static_cast<std::uint32_t>(s.size()));
        }
        data += s;
        return *this;
    }
    // Every list in these files is far below the 0xFFFF that needs the long form.
    Bytes& count(std::uint16_t n) { return u16(n); }
    // A back-reference to an object, or the null tag for index 0.
    Bytes& ref(std::uint16_t index) { return u16(index); }
    // Starts an object: a new-class tag the first time its class appears,
    // then a class back-reference. Returns the index the object takes.
    std::uint16_t object(const std::string& className, std::uint16_t schema)
    {
        const auto known = classes_.find(className);
        if (known == classes_.end()) {
            u16(0xFFFF).u16(schema).u16(static_cast<std::uint16_t>(className.size()));
            data += className;
            classes_.emplace(className, next_++);
        } else {
            u16(static_cast<std::uint16_t>(0x8000 | known->second));
        }
        return next_++;
    }

    std::string data;

private:
    std::map<std::string, std::uint16_t> classes_;
    std::uint16_t next_ = 1;
};

// The fields every item starts with; the caller writes the rest and the
// children count.
std::uint16_t Item(Bytes& b, const std::string& className, std::uint16_t schema,
                   const std::string& name, std::uint32_t status, std::uint16_t parent)
{
    const std::uint16_t index = b.object(className, schema);
    b.str(name).u32(status).ref(parent);
    return index;
}

// A revision in the newest layout, without its children count.
std::uint16_t RevisionBytes(Bytes& b, const std::string& name, std::uint32_t status,
                            std::uint16_t parent, std::uint16_t owner, std::uint32_t date,
                            const std::string& message, const std::string& locker,
                            std::uint16_t file)
{
    const std::uint16_t index = Item(b, "RCSVersionItem", 4, name, status, parent);
    b.ref(owner).u32(date).str(message).str(locker).ref(file);
    return index;
}

void EmptyTrees(Bytes& b)
{
    Item(b, "RCSRoot", 4, "x", RootItem, 0);
    b.count(0);
    Item(b, "RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(0);
}

std::string HexAround(const std::string& bytes, std::size_t at)
{
    std::ostringstream out;
    const std::size_t from = at < 8 ? 0 : at - 8;
    for (std::size_t i = from; i < std::min(bytes.size(), at + 16); ++i) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X", static_cast<unsigned char>(bytes[i]));
        out << (i == at ? "[" : " ") << cell << (i == at ? "]" : "");
    }
    return out.str();
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    const std::size_t length = std::min(expected.size(), actual.size());
    const auto differ = std::mismatch(expected.begin(), expected.begin() + length, actual.begin());
    const std::size_t at = static_cast<std::size_t>(differ.first - expected.begin());
    std::ostringstream message;
    message << "bytes differ at offset " << at << " (0x" << std::hex << at << std::dec
            << "); expected " << expected.size() << " bytes, got " << actual.size()
            << "\n  expected:" << HexAround(expected, at) << "\n  actual:  " << HexAround(actual, at);
    return ::testing::AssertionFailure() << message.str();
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
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

void SetGoldenOptions(RCSOptions& o)
{
    o.import.includeSubdirectories = true;
    o.import.mergeAfterImport = false;
    o.import.lock = true;
    o.import.force = true;
    o.import.keepTime = false;
    o.import.sourceSite = "Paris";
    o.import.releaseName = "R1";
    o.import.sourceDirectory = "/srv/incoming";
    o.import.message = "Imported from Paris";
    o.import.determineRevision = true;
    o.send.destinationSite = "Paris";
    o.send.releaseToSend = "R2";
    o.send.originalRelease = "R1";
    o.send.sendChoice = 2;
    o.defaultReleaseNameFile = "release.h";
    o.defaultBuildTemplate = "#define BUILD \"%s\"\n";
    o.merge.ignoreKeywords = true;
    o.compare.noKeywords = true;
    o.compare.revision1 = "1.1";
    o.compare.revision2 = "1.3";
    o.compare.contextDiff = true;
    o.compare.ignoreBlankLines = false;
    o.compare.ignoreBlankSpace = true;
    o.compare.ignoreCase = true;
    o.compare.ignoreWhiteSpace = false;
    o.compare.showCFunction = true;
    o.report.revisions = "1.2:";
    o.report.dates = "<2003";
    o.report.users = "fred";
    o.report.states = "Exp";
    o.report.lockedOnly = true;
    o.report.symbolicNames = false;
    o.report.information = 4;
    o.checkin.lock = false;
    o.checkin.keepTime = true;
    o.checkin.logMessage = LongLogMessage();
    o.checkout.noKeywords = true;
    o.checkout.revision = "1.2.1.1";
    o.checkout.lock = false;
    o.checkout.keepTime = true;
    o.checkout.checkoutDate = "2003/01/01";
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
    const std::uint16_t london = b.object("Site", 3);
    b.count(1).str("1.1").str("3.1");
    b.str("London").str("london@example.org").str("mail london").str("R1");
    const std::uint16_t paris = b.object("Site", 3);
    b.count(3).str("1.2.1.1").str("2.1.1.1").str("1.2.1").str("2.1.1").str("1.2").str("2.1");
    b.str("Paris").str("paris@example.org").str("scp %s paris:").str("R0");
    b.ref(paris);  // the master
    b.str(workingDirectory);

    const std::uint16_t root = Item(b, "RCSRoot", 4, "golden", RootItem, 0);
    b.count(2);
    const std::uint16_t mainC = Item(b, "RCSFileItem", 4, "src\\main.c", CheckedIn | CoveredFlag, root);
    b.u32(WorkTime).str("1.3").count(3);
    RevisionBytes(b, "1.1", Revision, mainC, london, Date11, "Initial revision", "", mainC);
    b.count(0);
    const std::uint16_t rev12 = RevisionBytes(b, "1.2", Revision | CoveredFlag, mainC, paris, Date12,
                                              "Parser from Paris", "", mainC);
    b.count(1);
    RevisionBytes(b, "1.2.1.1", LockedRevision, rev12, london, Date1211, "Branch fix", "fred", mainC);
    b.count(0);
    const std::uint16_t rev13 =
        RevisionBytes(b, "1.3", Tip, mainC, paris, Date13, "Merged branch", "", mainC);
    b.count(0);
    Item(b, "RCSFileItem", 4, "readme.txt", NewFile, root);
    b.u32(0).str("").count(0);

    const std::uint16_t releases = Item(b, "RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(1);
    const std::uint16_t r1 = Item(b, "RCSReleaseItem", 4, "R1", Release, releases);
    b.u32(ReleaseDate).count(1);
    Item(b, "RCSReleaseVersionItem", 4, "1.3", ReleaseRevision, r1);
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
        WriteBytes(path, bytes);
        std::string error;
        ASSERT_TRUE(doc().OnOpenDocument(path, error)) << error;
    }
    void Open(const std::string& bytes) { Open(bytes, Dir() + "old.rcs"); }

    test::ProjectFixture project;
};

RCSVersionItem* AddRevision(RCSItem& parent, RCSFileItem& file, const std::string& name,
                            std::uint32_t status, Site* owner, std::time_t date,
                            const std::string& message, const std::string& locker)
{
    auto revision = std::make_unique<RCSVersionItem>();
    RCSVersionItem* added = revision.get();
    added->name = name;
    added->status = status;
    added->owningSite = owner;
    added->date = date;
    added->message = message;
    added->locker = locker;
    added->file = &file;
    parent.AddChild(std::move(revision));
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
    root.AddChild(std::make_unique<RCSFileItem>("src\\main.c", &root));
    auto* mainC = static_cast<RCSFileItem*>(root.children.back().get());
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
    root.AddChild(std::make_unique<RCSFileItem>("readme.txt", &root));

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
    EXPECT_TRUE(SameBytes(GoldenProjectBytes(WorkingDirectory()), ReadBytes(ProjectPath())));
}

void ExpectRevision(const RCSItem* item, const std::string& name, std::uint32_t status,
                    const RCSItem* parent, const RCSFileItem* file, const Site* owner,
                    std::time_t date, const std::string& message, const std::string& locker)
{
    SCOPED_TRACE("revision " + name);
    const auto* revision = dynamic_cast<const RCSVersionItem*>(item);
    ASSERT_NE(revision, nullptr);
    EXPECT_EQ(revision->name, name);
    EXPECT_EQ(revision->status, status);
    EXPECT_EQ(revision->parent, parent);
    EXPECT_EQ(revision->file, file);
    EXPECT_EQ(revision->owningSite, owner);
    EXPECT_EQ(revision->date, date);
    EXPECT_EQ(revision->message, message);
    EXPECT_EQ(revision->locker, locker);
}

void ExpectGoldenOptions(const RCSOptions& o)
{
    EXPECT_TRUE(o.import.includeSubdirectories);
    EXPECT_FALSE(o.import.mergeAfterImport);
    EXPECT_TRUE(o.import.lock);
    EXPECT_TRUE(o.import.force);
    EXPECT_FALSE(o.import.keepTime);
    EXPECT_EQ(o.import.sourceSite, "Paris");
    EXPECT_EQ(o.import.releaseName, "R1");
    EXPECT_EQ(o.import.sourceDirectory, "/srv/incoming");
    EXPECT_EQ(o.import.message, "Imported from Paris");
    EXPECT_TRUE(o.import.determineRevision);
    EXPECT_EQ(o.send.destinationSite, "Paris");
    EXPECT_EQ(o.send.releaseToSend, "R2");
    EXPECT_EQ(o.send.originalRelease, "R1");
    EXPECT_EQ(o.send.sendChoice, 2);
    EXPECT_EQ(o.defaultReleaseNameFile, "release.h");
    EXPECT_EQ(o.defaultBuildTemplate, "#define BUILD \"%s\"\n");
    EXPECT_TRUE(o.merge.ignoreKeywords);
    EXPECT_TRUE(o.compare.noKeywords);
    EXPECT_EQ(o.compare.revision1, "1.1");
    EXPECT_EQ(o.compare.revision2, "1.3");
    EXPECT_TRUE(o.compare.contextDiff);
    EXPECT_FALSE(o.compare.ignoreBlankLines);
    EXPECT_TRUE(o.compare.ignoreBlankSpace);
    EXPECT_TRUE(o.compare.ignoreCase);
    EXPECT_FALSE(o.compare.ignoreWhiteSpace);
    EXPECT_TRUE(o.compare.showCFunction);
    EXPECT_EQ(o.report.revisions, "1.2:");
    EXPECT_EQ(o.report.dates, "<2003");
    EXPECT_EQ(o.report.users, "fred");
    EXPECT_EQ(o.report.states, "Exp");
    EXPECT_TRUE(o.report.lockedOnly);
    EXPECT_FALSE(o.report.symbolicNames);
    EXPECT_EQ(o.report.information, 4);
    EXPECT_FALSE(o.checkin.lock);
    EXPECT_TRUE(o.checkin.keepTime);
    EXPECT_EQ(o.checkin.logMessage, LongLogMessage());
    EXPECT_TRUE(o.checkout.noKeywords);
    EXPECT_EQ(o.checkout.revision, "1.2.1.1");
    EXPECT_FALSE(o.checkout.lock);
    EXPECT_TRUE(o.checkout.keepTime);
    EXPECT_EQ(o.checkout.checkoutDate, "2003/01/01");
}

TEST_F(ProjectFileTest, OpeningTheGoldenBytesRestoresEveryObjectAndSavesThemUnchanged)
{
    PrepareDisk();
    const std::string golden = GoldenProjectBytes(WorkingDirectory());
    Open(golden, ProjectPath());
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(doc().workingDirectory, WorkingDirectory());

    const SiteList& sites = *doc().siteList;
    ASSERT_EQ(sites.sites.size(), 2u);
    const Site* london = sites.sites[0].get();
    const Site* paris = sites.sites[1].get();
    EXPECT_EQ(sites.GetLocalSite(), london);
    EXPECT_EQ(sites.master, paris);
    EXPECT_EQ(london->name, "London");
    EXPECT_EQ(london->emailAddress, "london@example.org");
    EXPECT_EQ(london->sendCommand, "mail london");
    EXPECT_EQ(london->lastRelease, "R1");
    EXPECT_EQ(london->localToSite.entries(), (Pairs{{"1.1", "3.1"}}));
    EXPECT_EQ(london->siteToLocal.entries(), (Pairs{{"3.1", "1.1"}}));
    EXPECT_EQ(paris->name, "Paris");
    EXPECT_EQ(paris->emailAddress, "paris@example.org");
    EXPECT_EQ(paris->sendCommand, "scp %s paris:");
    EXPECT_EQ(paris->lastRelease, "R0");
    EXPECT_EQ(paris->localToSite.entries(),
              (Pairs{{"1.2.1.1", "2.1.1.1"}, {"1.2.1", "2.1.1"}, {"1.2", "2.1"}}));
    EXPECT_EQ(paris->siteToLocal.entries(),
              (Pairs{{"2.1.1.1", "1.2.1.1"}, {"2.1.1", "1.2.1"}, {"2.1", "1.2"}}));
    EXPECT_EQ(paris->TranslateRevision("2.1.1.4", Site::Direction::SiteToLocal), "1.2.1.4");

    const RCSRoot& root = *doc().root;
    EXPECT_EQ(root.name, "golden");
    EXPECT_EQ(root.status, RootItem);
    EXPECT_EQ(root.parent, nullptr);
    ASSERT_EQ(root.children.size(), 2u);
    auto* mainC = dynamic_cast<RCSFileItem*>(root.children[0].get());
    ASSERT_NE(mainC, nullptr);
    EXPECT_EQ(mainC->name, "src\\main.c");
    EXPECT_EQ(mainC->status, CheckedIn | CoveredFlag);
    EXPECT_EQ(mainC->parent, &root);
    EXPECT_EQ(mainC->recordedTime, WorkTime);
    EXPECT_EQ(mainC->workingTime, WorkTime);
    EXPECT_EQ(mainC->workingRevision, "1.3");
    ASSERT_EQ(mainC->children.size(), 3u);
    ExpectRevision(mainC->children[0].get(), "1.1", Revision, mainC, mainC, london, Date11,
                   "Initial revision", "");
    const RCSItem* rev12 = mainC->children[1].get();
    ExpectRevision(rev12, "1.2", Revision | CoveredFlag, mainC, mainC, paris, Date12,
                   "Parser from Paris", "");
    ASSERT_EQ(rev12->children.size(), 1u);
    ExpectRevision(rev12->children[0].get(), "1.2.1.1", LockedRevision, rev12, mainC, london,
                   Date1211, "Branch fix", "fred");
    const RCSItem* rev13 = mainC->children[2].get();
    ExpectRevision(rev13, "1.3", Tip, mainC, mainC, paris, Date13, "Merged branch", "");
    auto* readme = dynamic_cast<RCSFileItem*>(root.children[1].get());
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(readme->name, "readme.txt");
    EXPECT_EQ(readme->status, NewFile);
    EXPECT_EQ(readme->parent, &root);
    EXPECT_EQ(readme->recordedTime, 0);
    EXPECT_TRUE(readme->workingRevision.empty());
    EXPECT_TRUE(readme->children.empty());

    const RCSReleaseRoot& releases = *doc().releaseRoot;
    EXPECT_EQ(releases.name, "Releases");
    EXPECT_EQ(releases.status, ReleaseRoot);
    EXPECT_EQ(releases.parent, nullptr);
    ASSERT_EQ(releases.children.size(), 1u);
    auto* r1 = dynamic_cast<RCSReleaseItem*>(releases.children[0].get());
    ASSERT_NE(r1, nullptr);
    EXPECT_EQ(r1->name, "R1");
    EXPECT_EQ(r1->status, Release);
    EXPECT_EQ(r1->parent, &releases);
    EXPECT_EQ(r1->releaseDate, ReleaseDate);
    ASSERT_EQ(r1->children.size(), 1u);
    auto* entry = dynamic_cast<RCSReleaseVersionItem*>(r1->children[0].get());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, "1.3");
    EXPECT_EQ(entry->status, ReleaseRevision);
    EXPECT_EQ(entry->parent, r1);
    EXPECT_EQ(entry->revisionRef, rev13);

    EXPECT_EQ(doc().fileTypes, FileTypes());
    EXPECT_EQ(doc().releaseNameFile, "version.h");
    EXPECT_EQ(doc().releaseNameTemplate, "#define VERSION \"%s\"\n");
    ExpectGoldenOptions(RCSOptions::instance());

    std::string error;
    ASSERT_TRUE(doc().OnSaveDocument(ProjectPath(), error)) << error;
    EXPECT_TRUE(SameBytes(golden, ReadBytes(ProjectPath())));
}

// Version 1: no site list, no working directory, no release name entries;
// items of schema 1 and an options block of version 1 (check-in and a
// check-out block of schema 1).
TEST_F(ProjectFileTest, VersionOneProjectHasOnlyTheLocalSiteAndFindsFilesThroughParents)
{
    Bytes b;
    b.u32(1);
    const std::uint16_t root = Item(b, "RCSRoot", 1, "Old name", RootItem, 0);
    b.count(1);
    const std::uint16_t file = Item(b, "RCSFileItem", 1, "a.c", MissingFile, root);
    b.u32(0).str("").count(1);
    const std::uint16_t rev11 = Item(b, "RCSVersionItem", 1, "1.1", Revision, file);
    b.u32(Date11).str("First").count(1);
    Item(b, "RCSVersionItem", 1, "1.1.1.1", LockedRevision, rev11);
    b.u32(Date12).str("Side branch").count(0);
    Item(b, "RCSReleaseRoot", 1, "Releases", ReleaseRoot, 0);
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

    ASSERT_EQ(doc().siteList->sites.size(), 1u);
    const Site* local = doc().siteList->GetLocalSite();
    EXPECT_EQ(local->name, "London");
    EXPECT_EQ(doc().siteList->master, local);
    EXPECT_EQ(doc().workingDirectory, Dir());
    EXPECT_EQ(doc().root->name, "old");
    EXPECT_EQ(doc().fileTypes, "*.c");

    ASSERT_EQ(doc().root->children.size(), 1u);
    auto* fileItem = dynamic_cast<RCSFileItem*>(doc().root->children[0].get());
    ASSERT_NE(fileItem, nullptr);
    EXPECT_EQ(fileItem->status, MissingFile);
    ASSERT_EQ(fileItem->children.size(), 1u);
    const RCSItem* first = fileItem->children[0].get();
    ExpectRevision(first, "1.1", Revision, fileItem, fileItem, local, Date11, "First", "");
    ASSERT_EQ(first->children.size(), 1u);
    ExpectRevision(first->children[0].get(), "1.1.1.1", LockedRevision, first, fileItem, local,
                   Date12, "Side branch", "");

    EXPECT_FALSE(options.checkin.lock);
    EXPECT_TRUE(options.checkin.keepTime);
    EXPECT_EQ(options.checkin.logMessage, "Old message");
    EXPECT_TRUE(options.checkout.noKeywords) << "not in a schema-1 check-out block";
    EXPECT_EQ(options.checkout.revision, "1.1");
    EXPECT_FALSE(options.checkout.lock);
    EXPECT_TRUE(options.checkout.keepTime);
    EXPECT_EQ(options.checkout.checkoutDate, "2000/06/01");
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
    const std::uint16_t root = Item(b, "RCSRoot", 4, "x", RootItem, 0);
    b.count(1);
    // Code 9 belongs to revisions; the bit above the flag must survive.
    const std::uint16_t file = Item(b, "RCSFileItem", 4, "a.c", 0x100 | LockedTip, root);
    b.u32(0).str("").count(1);
    Item(b, "RCSVersionItem", 2, "1.1", OnlyInRcs | CoveredFlag, file);
    b.u32(Date11).str("First").ref(file).count(0);
    Item(b, "RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(0);
    b.str("*.c").str("version.h").str("V %s");
    b.u32(2);
    b.u32(1).u32(1).str("<2001").u32(2).u32(1).str("1.1").str("Exp").u32(0).u32(1).str("anne");
    b.u32(1).u32(1).u32(0).str("");  // check-in
    b.u32(2).u32(0).str("").u32(1).u32(0).str("");  // check-out
    Open(b.data);

    EXPECT_TRUE(doc().IsModified());
    EXPECT_EQ(doc().releaseNameFile, "version.h");
    EXPECT_EQ(doc().releaseNameTemplate, "V %s");
    auto* fileItem = dynamic_cast<RCSFileItem*>(doc().root->children.at(0).get());
    ASSERT_NE(fileItem, nullptr);
    EXPECT_EQ(fileItem->status, 0x100 | NewFile);
    ExpectRevision(fileItem->children.at(0).get(), "1.1", Revision | CoveredFlag, fileItem,
                   fileItem, doc().siteList->GetLocalSite(), Date11, "First", "");

    const ReportSettings& report = RCSOptions::instance().report;
    EXPECT_EQ(report.information, 4);
    EXPECT_EQ(report.dates, "<2001");
    EXPECT_TRUE(report.lockedOnly);
    EXPECT_EQ(report.revisions, "1.1");
    EXPECT_EQ(report.states, "Exp");
    EXPECT_FALSE(report.symbolicNames);
    EXPECT_EQ(report.users, "anne");
}

// Version 3 files had no site list: each revision of schema 3 held its
// owning site, the first time as a whole "Site" object.
TEST_F(ProjectFileTest, VersionThreeRevisionsBringTheirSitesIntoTheSiteList)
{
    Bytes b;
    b.u32(3);
    const std::uint16_t root = Item(b, "RCSRoot", 4, "x", RootItem, 0);
    b.count(1);
    const std::uint16_t file = Item(b, "RCSFileItem", 4, "a.c", MissingFile, root);
    b.u32(0).str("").count(4);
    Item(b, "RCSVersionItem", 3, "1.1", Revision, file);
    const std::uint16_t paris = b.object("Site", 2);
    b.str("Paris").str("paris@example.org").str("mail paris").str("R7");
    b.u32(Date11).str("From Paris").ref(file).count(0);
    Item(b, "RCSVersionItem", 3, "1.2", Revision, file);
    const std::uint16_t london = b.object("Site", 2);
    b.str("LONDON").str("other@example.org").str("").str("");
    b.u32(Date12).str("From London").ref(file).count(0);
    Item(b, "RCSVersionItem", 3, "1.3", LockedRevision, file);
    b.ref(paris).u32(Date13).str("Paris again").ref(file).count(0);
    Item(b, "RCSVersionItem", 3, "1.4", Tip, file);
    b.ref(london).u32(Date13).str("London again").ref(file).count(0);
    Item(b, "RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(0);
    b.str("").str("").str("");
    b.u32(3);
    b.u32(1).str("1.1").str("1.4").u32(1).u32(1).u32(0).u32(0).u32(1).u32(0);  // compare
    b.u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(0);  // report
    b.u32(1).u32(1).u32(0).str("");  // check-in
    b.u32(2).u32(0).str("").u32(1).u32(0).str("");  // check-out
    RCSOptions::instance().compare.noKeywords = true;
    Open(b.data);

    const SiteList& sites = *doc().siteList;
    ASSERT_EQ(sites.sites.size(), 2u);
    const Site* local = sites.sites[0].get();
    const Site* remote = sites.sites[1].get();
    EXPECT_EQ(local->name, "London");
    EXPECT_EQ(local->emailAddress, "") << "the listed site is kept, not the stored copy";
    EXPECT_EQ(sites.master, local);
    EXPECT_EQ(remote->name, "Paris");
    EXPECT_EQ(remote->emailAddress, "paris@example.org");
    EXPECT_EQ(remote->sendCommand, "mail paris");
    EXPECT_EQ(remote->lastRelease, "R7");
    EXPECT_EQ(remote->localToSite.size(), 0u);
    EXPECT_EQ(remote->siteToLocal.size(), 0u);

    const RCSItem& fileItem = *doc().root->children.at(0);
    ASSERT_EQ(fileItem.children.size(), 4u);
    const Site* owners[] = {remote, local, remote, local};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto* revision = dynamic_cast<const RCSVersionItem*>(fileItem.children[i].get());
        ASSERT_NE(revision, nullptr);
        EXPECT_EQ(revision->owningSite, owners[i]) << revision->name;
        EXPECT_EQ(revision->locker, "") << revision->name;
        EXPECT_EQ(revision->file, &fileItem) << revision->name;
    }

    const CompareSettings& compare = RCSOptions::instance().compare;
    EXPECT_TRUE(compare.noKeywords) << "not in a schema-1 compare block";
    EXPECT_EQ(compare.revision1, "1.1");
    EXPECT_EQ(compare.revision2, "1.4");
    EXPECT_TRUE(compare.contextDiff);
    EXPECT_TRUE(compare.ignoreBlankLines);
    EXPECT_FALSE(compare.ignoreBlankSpace);
    EXPECT_FALSE(compare.ignoreCase);
    EXPECT_TRUE(compare.ignoreWhiteSpace);
    EXPECT_FALSE(compare.showCFunction);
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
    b.str("").str("").str("");
    b.u32(4);
    b.u32(1).u32(1);  // merge
    b.u32(2).u32(0).str("").str("").u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);  // compare
    b.u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(5);  // report
    b.u32(1).u32(1).u32(0).str("");  // check-in
    b.u32(2).u32(0).str("").u32(1).u32(0).str("");  // check-out
    RCSOptions& options = RCSOptions::instance();
    options.import.sourceSite = "Kept";
    options.send.destinationSite = "Kept";
    options.defaultReleaseNameFile = "kept.h";
    options.defaultBuildTemplate = "kept %s";
    Open(b.data);

    const SiteList& sites = *doc().siteList;
    ASSERT_EQ(sites.sites.size(), 2u);
    EXPECT_EQ(sites.sites[0]->name, "Oslo");
    EXPECT_EQ(sites.sites[0]->emailAddress, "oslo@example.org");
    EXPECT_EQ(sites.sites[0]->sendCommand, "mail oslo");
    EXPECT_EQ(sites.sites[0]->lastRelease, "R3");
    EXPECT_EQ(sites.sites[1]->name, "Rome");
    EXPECT_EQ(sites.master, sites.sites[0].get());
    EXPECT_EQ(doc().workingDirectory, Dir());

    EXPECT_TRUE(options.merge.ignoreKeywords);
    EXPECT_EQ(options.report.information, 5);
    EXPECT_EQ(options.import.sourceSite, "Kept");
    EXPECT_EQ(options.send.destinationSite, "Kept");
    EXPECT_EQ(options.defaultReleaseNameFile, "kept.h");
    EXPECT_EQ(options.defaultBuildTemplate, "kept %s");
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
    const std::uint16_t rome = b.object("Site", 2);
    b.str("Rome").str("rome@example.org").str("mail rome").str("R9");
    b.ref(rome);
    b.str(Dir() + "gone/");
    EmptyTrees(b);
    b.str("").str("").str("");
    b.u32(8);
    b.u32(1).str("Rome").str("R9").str("/in").str("From Rome").u32(1);  // import
    b.u32(1).str("Rome").str("R10").u32(12345).str("R9").u32(1);  // send
    b.str("r.h").str("%s");
    b.u32(1).u32(0);  // merge
    b.u32(2).u32(0).str("").str("").u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);  // compare
    b.u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(0);  // report
    b.u32(1).u32(1).u32(0).str("");  // check-in
    b.u32(2).u32(0).str("").u32(1).u32(0).str("");  // check-out
    ImportSettings& import = RCSOptions::instance().import;
    import.includeSubdirectories = true;
    import.mergeAfterImport = true;
    import.lock = true;
    import.force = true;
    import.keepTime = true;
    Open(b.data);

    const SiteList& sites = *doc().siteList;
    ASSERT_EQ(sites.sites.size(), 2u);
    const Site& second = *sites.sites[1];
    EXPECT_EQ(sites.master, &second);
    EXPECT_EQ(second.name, "Rome");
    EXPECT_EQ(second.emailAddress, "rome@example.org");
    EXPECT_EQ(second.sendCommand, "mail rome");
    EXPECT_EQ(second.lastRelease, "R9");
    EXPECT_EQ(second.localToSite.size(), 0u);
    EXPECT_EQ(doc().workingDirectory, Dir()) << "a vanished working directory falls back";

    EXPECT_EQ(import.sourceSite, "Rome");
    EXPECT_EQ(import.releaseName, "R9");
    EXPECT_EQ(import.sourceDirectory, "/in");
    EXPECT_EQ(import.message, "From Rome");
    EXPECT_TRUE(import.determineRevision);
    EXPECT_TRUE(import.includeSubdirectories && import.mergeAfterImport && import.lock
                && import.force && import.keepTime)
        << "not in a version-1 import block";
    const SendSettings& send = RCSOptions::instance().send;
    EXPECT_EQ(send.destinationSite, "Rome");
    EXPECT_EQ(send.releaseToSend, "R10");
    EXPECT_EQ(send.originalRelease, "R9");
    EXPECT_EQ(send.sendChoice, 1);
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
    b.str("").str("").str("");
    b.u32(7);
    b.u32(2).u32(0).u32(1).u32(0).str("Rome").str("R9").str("/in").str("").u32(0);  // import
    b.u32(2).str("").str("").str("").u32(0);  // send
    b.str("").str("");
    b.u32(1).u32(0);  // merge
    b.u32(2).u32(0).str("").str("").u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);  // compare
    b.u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(0);  // report
    b.u32(1).u32(1).u32(0).str("");  // check-in
    b.u32(2).u32(0).str("").u32(1).u32(0).str("");  // check-out
    ImportSettings& import = RCSOptions::instance().import;
    import.includeSubdirectories = true;
    import.mergeAfterImport = true;
    import.lock = true;
    import.force = false;
    import.keepTime = true;
    Open(b.data);

    EXPECT_EQ(doc().siteList->sites.size(), 1u) << "an empty list gets the local site";
    EXPECT_TRUE(import.includeSubdirectories);
    EXPECT_TRUE(import.mergeAfterImport);
    EXPECT_FALSE(import.lock);
    EXPECT_TRUE(import.force);
    EXPECT_FALSE(import.keepTime);
    EXPECT_EQ(import.sourceSite, "Rome");
}

} // namespace
} // namespace kestro
