// Whole project files compared byte for byte with files written by hand from
// the stored layout, and older layouts that other installations still hold.

#include "archive/archive.h"
#include "support/archive_bytes.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <utime.h>

#include <algorithm>
#include <cctype>
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

// Bytes written by hand in tests/data/project_file: two-digit hexadecimal
// numbers and "quoted text", each line's note after a '#'.
std::string Fixture(const std::string& name)
{
    std::istringstream in(test::ReadFile(KESTRO_TEST_DATA "/project_file/" + name));
    std::string bytes;
    for (std::string line; std::getline(in, line);) {
        line.erase(std::min(line.find('#'), line.size()));
        for (std::size_t at = 0; at < line.size(); ++at) {
            if (line[at] == '"') {
                const std::size_t end = line.find('"', at + 1);
                bytes += line.substr(at + 1, end - at - 1);
                at = end;
            } else if (std::isxdigit(static_cast<unsigned char>(line[at]))) {
                bytes += static_cast<char>(std::stoi(line.substr(at++, 2), nullptr, 16));
            }
        }
    }
    return bytes;
}

// On a difference, the offset of its first byte.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    const auto at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
    return ::testing::AssertionFailure() << "bytes differ at offset " << at - expected.begin() << "; expected "
                                         << expected.size() << " bytes, got " << actual.size();
}

// Both the working file's time and the time recorded at the last check-in,
// so the file reads as checked in.
constexpr std::uint32_t WorkTime = 1600000000;

// Long enough for the one-byte-and-16-bit length form, and for the 32-bit one.
std::string FileTypes()
{
    std::string types;
    for (int i = 0; i < 20; ++i)
        types += "C files (*.c)|*.c|";
    return types;
}
const std::string LongLogMessage(70000, 'm');

void GoldenOptionsBlock(Bytes& b)
{
    b.u32(8);
    b.u32(3).u32(1).u32(0).u32(1).u32(1).u32(0);  // import
    b.str("Paris").str("R1").str("/srv/incoming").str("Imported from Paris").u32(1);
    b.u32(2).str("Paris").str("R2").str("R1").u32(2);  // send
    b.str("release.h").str("#define BUILD \"%s\"\n");
    b.u32(1).u32(1);  // merge
    b.u32(2).u32(1).str("1.1").str("1.3").u32(1).u32(0).u32(0).u32(1).u32(0).u32(1);  // compare
    b.u32(2).str("1.2:").str("<2003").str("fred").str("Exp").u32(1).u32(0).u32(4);  // report
    b.u32(1).u32(0).u32(1).str(LongLogMessage);  // check-in
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
    o.compare = {.revision1 = "1.1", .revision2 = "1.3", .ignoreCase = true, .contextDiff = true,
                 .showCFunction = true, .noKeywords = true};
    o.report = {.revisions = "1.2:", .dates = "<2003", .users = "fred", .states = "Exp", .lockedOnly = true,
                .symbolicNames = false, .information = 4};
    o.checkin = {.lock = false, .keepTime = true, .logMessage = LongLogMessage};
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
    // Dates: the first days of 2000 to 2003.
    RevisionBytes(b, "1.1", Revision, mainC, london, 946684800, "Initial revision", "", mainC);
    b.count(0);
    const std::uint32_t rev12 =
        RevisionBytes(b, "1.2", Revision | CoveredFlag, mainC, paris, 978307200, "Parser from Paris", "", mainC);
    b.count(1);
    RevisionBytes(b, "1.2.1.1", LockedRevision, rev12, london, 1009843200, "Branch fix", "fred", mainC);
    b.count(0);
    const std::uint32_t rev13 = RevisionBytes(b, "1.3", Tip, mainC, paris, 1041379200, "Merged branch", "", mainC);
    b.count(0);
    b.item("RCSFileItem", 4, "readme.txt", NewFile, root);
    b.u32(0).str("").count(0);

    const std::uint32_t releases = b.item("RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    b.count(1);
    const std::uint32_t r1 = b.item("RCSReleaseItem", 4, "R1", Release, releases);
    b.u32(1041379300).count(1);
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

    void Open(const std::string& bytes, const std::string& name = "old.rcs")
    {
        project.scratch.write(name, bytes);
        std::string error;
        ASSERT_TRUE(doc().OnOpenDocument(Dir() + name, error)) << error;
    }

    test::ProjectFixture project;
};

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
    // file: the file the item belongs to, which its revisions must name.
    const std::function<void(const RCSItem&, int, const RCSFileItem*)> item = [&](const RCSItem& it, int depth,
                                                                                  const RCSFileItem* file) {
        out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << it.name << " " << std::hex << it.status
            << std::dec;
        if (const auto* f = dynamic_cast<const RCSFileItem*>(&it)) {
            out << " time " << f->recordedTime << " rev " << f->workingRevision;
            file = f;
        }
        if (const auto* r = dynamic_cast<const RCSVersionItem*>(&it))
            out << " by " << (r->owningSite ? r->owningSite->name : "-") << " " << r->date << " [" << r->message
                << "] " << r->locker << (r->file == file ? "" : " WRONG FILE");
        if (const auto* release = dynamic_cast<const RCSReleaseItem*>(&it))
            out << " date " << release->releaseDate;
        if (const auto* entry = dynamic_cast<const RCSReleaseVersionItem*>(&it))
            out << " -> " << (entry->revisionRef ? entry->revisionRef->file->name + " " + entry->revisionRef->name : "-");
        out << "\n";
        for (const auto& child : it.children) {
            if (child->parent != &it)
                out << "WRONG PARENT\n";
            item(*child, depth + 1, file);
        }
    };
    item(*doc.root, 0, nullptr);
    item(*doc.releaseRoot, 0, nullptr);
    return out.str();
}

template <class Block>
std::string Stored(Block block)
{
    Archive ar;
    block.serialize(ar);
    return ar.bytes();
}

TEST_F(ProjectFileTest, OpeningTheGoldenBytesRestoresEveryObjectAndSavesThemUnchanged)
{
    // The disk as the golden file statuses say: src\main.c checked in (RCS
    // file beside the project, working file unchanged since WorkTime) and
    // readme.txt new.
    project.scratch.write("work/src/main.c", "int main() {}\n");
    project.scratch.write("src/RCS/main.c,v", "head 1.3;\n");
    project.scratch.write("work/readme.txt", "read me\n");
    const utimbuf times{WorkTime, WorkTime};
    ASSERT_EQ(::utime((Dir() + "work/src/main.c").c_str(), &times), 0);
    const std::string golden = GoldenProjectBytes(Dir() + "work/");
    Open(golden, "golden.rcs");
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(doc().workingDirectory, Dir() + "work/");
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
    EXPECT_TRUE(doc().fileTypes == FileTypes() && doc().releaseNameFile == "version.h"
                && doc().releaseNameTemplate == "#define VERSION \"%s\"\n");
    Bytes options;
    GoldenOptionsBlock(options);
    EXPECT_TRUE(SameBytes(options.data, Stored(RCSOptions::instance())));
    // Each value has its own place: options set one by one write the same bytes.
    RCSOptions set;
    SetGoldenOptions(set);
    EXPECT_TRUE(SameBytes(options.data, Stored(set)));

    std::string error;
    ASSERT_TRUE(doc().OnSaveDocument(Dir() + "golden.rcs", error)) << error;
    EXPECT_TRUE(SameBytes(golden, test::ReadFile(Dir() + "golden.rcs")));
}

// The layouts older installations still hold, each described in its fixture.
// Blocks are compared by their stored bytes, so every stored field counts.
TEST_F(ProjectFileTest, VersionOneProjectHasOnlyTheLocalSiteAndFindsFilesThroughParents)
{
    RCSOptions& options = RCSOptions::instance();
    options.checkout.noKeywords = true;  // not in a schema-1 check-out block
    options.report.information = 3;
    options.defaultReleaseNameFile = "kept.h";
    Open(Fixture("version1.txt"));

    EXPECT_EQ(Describe(doc()),
              "site London  []  local master\n"
              "old 0\n"
              "  a.c 2 time 0 rev \n"
              "    1.1 8 by London 946684800 [First] \n"
              "      1.1.1.1 7 by London 978307200 [Side branch] \n"
              "Releases c\n");
    EXPECT_TRUE(doc().workingDirectory == Dir() && doc().fileTypes == "*.c");
    EXPECT_EQ(Stored(options.checkin),
              Stored(CheckinSettings{.lock = false, .keepTime = true, .logMessage = "Old message"}));
    EXPECT_EQ(Stored(options.checkout), Stored(CheckoutSettings{.revision = "1.1", .lock = false, .keepTime = true,
                                                                .checkoutDate = "2000/06/01", .noKeywords = true}));
    EXPECT_TRUE(options.report.information == 3 && options.defaultReleaseNameFile == "kept.h");
}

TEST_F(ProjectFileTest, VersionTwoProjectIsMarkedModifiedAndRepairsStatusCodes)
{
    project.scratch.write("a.c", "working file\n");
    Open(Fixture("version2.txt"));

    EXPECT_TRUE(doc().IsModified());
    EXPECT_TRUE(doc().releaseNameFile == "version.h" && doc().releaseNameTemplate == "V %s");
    EXPECT_EQ(Describe(doc()),
              "site London  []  local master\n"
              "old 0\n"
              "  a.c 101 time 0 rev \n"
              "    1.1 18 by London 946684800 [First] \n"
              "Releases c\n");
    EXPECT_EQ(Stored(RCSOptions::instance().report),
              Stored(ReportSettings{.revisions = "1.1", .dates = "<2001", .users = "anne", .states = "Exp",
                                    .lockedOnly = true, .symbolicNames = false, .information = 4}));
}

TEST_F(ProjectFileTest, VersionThreeRevisionsBringTheirSitesIntoTheSiteList)
{
    RCSOptions::instance().compare.noKeywords = true;  // not in a schema-1 compare block
    Open(Fixture("version3.txt"));

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
    EXPECT_EQ(Stored(RCSOptions::instance().compare),
              Stored(CompareSettings{.revision1 = "1.1", .revision2 = "1.4", .ignoreWhiteSpace = true,
                                     .ignoreBlankLines = true, .contextDiff = true, .noKeywords = true}));
}

TEST_F(ProjectFileTest, SchemaOneSiteListMakesItsFirstSiteMaster)
{
    RCSOptions& options = RCSOptions::instance();
    options.import.sourceSite = options.send.destinationSite = "Kept";
    options.defaultReleaseNameFile = "kept.h";
    options.defaultBuildTemplate = "kept %s";
    Open(Fixture("version4.txt"));

    EXPECT_EQ(Describe(doc()),
              "site Oslo oslo@example.org [mail oslo] R3 local master\n"
              "site Rome rome@example.org [] R2\n"
              "old 0\n"
              "Releases c\n");
    EXPECT_EQ(doc().workingDirectory, Dir());
    EXPECT_TRUE(options.merge.ignoreKeywords && options.report.information == 5);
    EXPECT_TRUE(options.import.sourceSite == "Kept" && options.send.destinationSite == "Kept"
                && options.defaultReleaseNameFile == "kept.h" && options.defaultBuildTemplate == "kept %s");
}

TEST_F(ProjectFileTest, SchemaTwoSitesAndTheFirstTwoImportBlocksAndSendBlock)
{
    ImportSettings& import = RCSOptions::instance().import;
    // Not in a version-1 import block.
    import.includeSubdirectories = import.mergeAfterImport = import.lock = import.force = import.keepTime = true;
    Open(Fixture("version5.txt"));

    EXPECT_EQ(Describe(doc()),
              "site Oslo  []  local\n"
              "site Rome rome@example.org [mail rome] R9 master\n"
              "old 0\n"
              "Releases c\n");
    EXPECT_EQ(doc().workingDirectory, Dir()) << "a vanished working directory falls back";
    EXPECT_EQ(Stored(import),
              Stored(ImportSettings{.sourceSite = "Rome", .sourceDirectory = "/in", .releaseName = "R9",
                                    .message = "From Rome", .determineRevision = true, .lock = true, .force = true,
                                    .keepTime = true, .includeSubdirectories = true, .mergeAfterImport = true}));
    EXPECT_EQ(Stored(RCSOptions::instance().send),
              Stored(SendSettings{.destinationSite = "Rome", .releaseToSend = "R10", .originalRelease = "R9",
                                  .sendChoice = 1}));
    EXPECT_EQ(RCSOptions::instance().defaultReleaseNameFile, "r.h");

    // A version-2 import block keeps the two newer switches (both set now).
    import.force = false;
    Open(Fixture("import_block2.txt"), "import.rcs");

    EXPECT_EQ(doc().siteList->sites.size(), 1u) << "an empty list gets the local site";
    EXPECT_EQ(Stored(import), Stored(ImportSettings{.sourceSite = "Rome", .sourceDirectory = "/in",
                                                    .releaseName = "R9", .force = true,
                                                    .includeSubdirectories = true, .mergeAfterImport = true}));
}

} // namespace
} // namespace kestro
