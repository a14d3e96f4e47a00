// Damaged project files: every one is refused with a message naming the file
// and leaves the document empty, without crashing or reading past the data.
// Saving never leaves a half-written project behind (a save cut short by a
// file size limit is proved on the command line tool in tests/rcs).

#include "archive/archive.h"
#include "support/archive_bytes.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

std::string OptionsBlock()
{
    Archive ar;
    RCSOptions::instance().serialize(ar);
    return ar.bytes();
}

// A project with two sites, one file with one revision, and one release
// holding that revision, damaged as the name says ("" for none).
std::string DamagedProject(const std::string& d)
{
    test::ArchiveBytes p;
    p.u32(d == "Version0" ? 0 : d == "Version6" ? 6 : 5);

    // A site without revision pairs, e-mail address, send command or last release.
    const auto site = [&p](const char* name, std::uint16_t schema) {
        const std::uint32_t index = p.object("Site", schema);
        p.count(0).str(name).str("").str("").str("");
        return index;
    };
    std::uint32_t york = 0;
    if (d == "SiteInPlaceOfSiteList") {
        site("York", 3);
    } else {
        p.object("SiteList", d == "SiteListSchema0" ? 0 : 3);
        p.count(2);
        york = site("York", d == "SiteSchema4" ? 4 : 3);
        site("Leeds", 3);
        p.ref(york);
    }
    if (d == "HugeStringLength")
        p.u8(0xFF).u16(0xFFFF).u32(0xFFFFFFF0);
    else
        p.str("");  // working directory: the project's own

    std::uint32_t root = 0;
    std::uint32_t file = 0;
    std::uint32_t revision = 0;
    if (d == "NullRoot") {
        p.ref(0);
    } else {
        root = p.object(d == "ReleaseRootInPlaceOfRoot" ? "RCSReleaseRoot" : "RCSRoot",
                        d == "RootSchema0" ? 0 : d == "RootSchema5" ? 5 : 4);
        p.str("P").u32(RootItem).ref(d == "RootItsOwnParent" ? root : 0);
        if (d == "HugeCount") {
            p.count(0xFFFFFFFF);
        } else if (d == "RevisionBelowRoot") {
            p.count(1);
            p.item("RCSVersionItem", 2, "1.1", Tip, root);
            p.u32(0).str("").ref(0).count(0);
        } else if (d == "SiteAsChild") {
            p.count(1);
            site("Hull", 3);
        } else {
            p.count(d == "ChildStoredTwice" ? 2 : 1);
            const std::uint32_t parent = d == "ForwardReference"        ? 999
                                         : d == "ReferenceToClassEntry" ? 1  // the class SiteList
                                         : d == "SiteAsParent"          ? york
                                                                        : root;
            file = p.item(d == "UnknownClass" ? "RCSFolderItem" : "RCSFileItem", 4, "a.c", NewFile, parent);
            p.u32(0).str("1.1").count(1);
            if (d == "RootItsOwnParent" || d == "RevisionItsOwnParent") {
                // The oldest revision layout finds its file by walking up its parents.
                const std::uint32_t self = p.object("RCSVersionItem", 1);
                p.str("1.1").u32(Tip).ref(d == "RootItsOwnParent" ? root : self);
                p.u32(0).str("");
            } else {
                revision = p.item("RCSVersionItem", 4, "1.1", Tip, file);
                p.ref(d == "FileAsOwningSite" ? file : york).u32(1000000).str("first").str("").ref(file);
            }
            p.count(0);
            if (d == "ChildStoredTwice")
                p.ref(file);
        }
    }

    if (d == "UndefinedClassReference") {
        p.classRef(0x999);
    } else if (d == "ClassReferenceToObject") {
        p.classRef(root);
    } else {
        const std::uint32_t releases =
            p.item(d == "RootInPlaceOfReleaseRoot" ? "RCSRoot" : "RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
        p.count(1);
        const std::uint32_t release = p.item("RCSReleaseItem", 4, "R1", Release, releases);
        p.u32(1000000).count(1);
        p.item("RCSReleaseVersionItem", 4, "1.1", ReleaseRevision, release);
        p.ref(d == "FileAsReleaseRevision" ? file : revision).count(0);
    }

    p.str("C files (*.c)|*.c").str("").str("").raw(OptionsBlock());
    return p.data;
}

// A file whose revisions each hang below the one before.
std::string DeepProject(int revisions)
{
    test::ArchiveBytes p;
    p.u32(3);  // no site list, no working directory
    const std::uint32_t root = p.item("RCSRoot", 4, "P", RootItem, 0);
    p.count(1);
    std::uint32_t parent = p.item("RCSFileItem", 4, "a.c", NewFile, root);
    p.u32(0).str("");
    for (int i = 0; i < revisions; ++i) {
        p.count(1);
        parent = p.item("RCSVersionItem", 2, "1.1", Tip, parent);
        p.u32(0).str("").ref(0);
    }
    p.count(0);
    p.item("RCSReleaseRoot", 4, "Releases", ReleaseRoot, 0);
    p.count(0).str("C files (*.c)|*.c").str("").str("").raw(OptionsBlock());
    return p.data;
}

// The damage and a part of the message.
const std::pair<const char*, const char*> damageCases[] = {
    {"Version0", "version 0"}, {"Version6", "version 6"},
    {"RootSchema0", "RCSRoot has unsupported schema 0"}, {"RootSchema5", "RCSRoot has unsupported schema 5"},
    {"SiteSchema4", "Site has unsupported schema 4"}, {"SiteListSchema0", "SiteList has unsupported schema 0"},
    {"NullRoot", "missing object"}, {"SiteInPlaceOfSiteList", "unexpected class Site"},
    {"ReleaseRootInPlaceOfRoot", "unexpected class RCSReleaseRoot"},
    {"RootInPlaceOfReleaseRoot", "unexpected class RCSRoot"},
    {"RevisionBelowRoot", "RCSVersionItem cannot be stored below a RCSRoot"}, {"SiteAsChild", "unexpected class Site"},
    {"FileAsOwningSite", "unexpected class RCSFileItem"}, {"FileAsReleaseRevision", "unexpected class RCSFileItem"},
    {"UnknownClass", "unknown class \"RCSFolderItem\""}, {"UndefinedClassReference", "class 2457 that was not defined"},
    {"ClassReferenceToObject", "that was not defined"}, {"ForwardReference", "object 999 that was not read"},
    {"ReferenceToClassEntry", "object 1 that was not read"}, {"SiteAsParent", "unexpected class Site"},
    {"ChildStoredTwice", "stored in two places"}, {"HugeStringLength", "string longer than the rest of the file"},
    {"HugeCount", "count 4294967295 larger than the rest of the file"},
    {"RootItsOwnParent", "own parent"}, {"RevisionItsOwnParent", "own parent"},
};

class ProjectFileDamageTest : public testing::Test {
protected:
    test::ProjectFixture project;
    CKestroDoc& doc = *project.doc;

    std::string Path(const std::string& name) const { return project.scratch.path() + name; }

    void Open(const std::string& bytes)
    {
        project.scratch.write("p.rcs", bytes);
        std::string error;
        ASSERT_TRUE(doc.OnOpenDocument(Path("p.rcs"), error)) << error;
    }

    void ExpectRefused(const std::string& bytes, const std::string& reason = "")
    {
        const std::string path = Path("damaged.rcs");
        project.scratch.write("damaged.rcs", bytes);
        const RCSRoot* root = doc.root.get();
        const RCSReleaseRoot* releaseRoot = doc.releaseRoot.get();
        const std::string pathName = doc.GetPathName();
        std::string error;
        EXPECT_FALSE(doc.OnOpenDocument(path, error));
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        // The project that was open stays.
        EXPECT_TRUE(doc.root.get() == root && doc.releaseRoot.get() == releaseRoot && doc.GetPathName() == pathName);
    }
};

// The base of every damaged file opens, so each refusal is for its damage.
TEST_F(ProjectFileDamageTest, EachDamageIsRefusedAndTheOpenProjectStays)
{
    Open(DamagedProject(""));
    const auto* entry = dynamic_cast<RCSReleaseVersionItem*>(doc.releaseRoot->children.at(0)->children.at(0).get());
    ASSERT_TRUE(entry && entry->revisionRef);
    EXPECT_EQ(entry->revisionRef->owningSite, doc.siteList->sites.at(0).get());
    for (const auto& [damage, reason] : damageCases) {
        SCOPED_TRACE(damage);
        ExpectRefused(DamagedProject(damage), reason);
    }
    for (const std::string text : {"Hello, this is a text file\n", ""})
        ExpectRefused(text, Path("damaged.rcs") + " is not a Kestro project file");
    // A file that fails while it is read: this process's memory, which is
    // not mapped at its start.
    std::string error;
    EXPECT_FALSE(doc.OnOpenDocument("/proc/self/mem", error));
    EXPECT_EQ(error.rfind("Cannot read project file /proc/self/mem: ", 0), 0u) << error;
    EXPECT_EQ(doc.root->children.size(), 1u);
}

TEST_F(ProjectFileDamageTest, NestingIsBounded)
{
    Open(DeepProject(500));
    // Far deeper than the stack could follow.
    ExpectRefused(DeepProject(200000), "nested too deeply");
}

TEST_F(ProjectFileDamageTest, EveryTruncationIsRefused)
{
    const std::string whole = DamagedProject("");
    Open(whole);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectRefused(whole.substr(0, length));
        if (HasFailure())
            break;
    }
    EXPECT_EQ(doc.root->children.size(), 1u);
}

TEST_F(ProjectFileDamageTest, SaveWhereNoFileCanBeMadeChangesNothing)
{
    Open(DamagedProject(""));
    const std::string previous = test::ReadFile(Path("p.rcs"));
    for (int i = 0; i < 300; ++i)  // a change to save
        test::AddFile(*doc.root, "f" + std::to_string(i) + ".c");
    doc.SetModifiedFlag(true);
    project.scratch.write("plain", "not a directory");
    for (const std::string& target : {Path("plain/p.rcs"), Path("missing/dir/p.rcs")}) {
        SCOPED_TRACE(target);
        std::string error;
        EXPECT_FALSE(doc.OnSaveDocument(target, error));
        EXPECT_NE(error.find(target), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_EQ(doc.GetPathName(), Path("p.rcs"));
        EXPECT_TRUE(doc.IsModified());
    }
    EXPECT_TRUE(test::ReadFile(Path("p.rcs")) == previous);
}

} // namespace
} // namespace kestro
