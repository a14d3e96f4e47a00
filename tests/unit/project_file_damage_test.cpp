// Damaged project files: every one is refused with a message naming the file
// and leaves the document empty, without crashing or reading past the data.
// Saving never leaves a half-written project behind.

#include "app/document.h"
#include "archive/archive.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/version_item.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace kestro {
namespace {

std::string U32(std::uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// Writes a project file tag by tag, so that any object or reference can be
// put in any position.
class RawProject {
public:
    static constexpr std::uint32_t Self = 0xFFFFFFFF;

    Archive ar;

    // Writes the class of a new object (its description the first time, a
    // back-reference later) and returns the object's index.
    std::uint32_t Object(const std::string& className, std::uint16_t schema = 4)
    {
        const auto known = classes_.find(className);
        if (known != classes_.end()) {
            ClassReference(known->second);
        } else {
            ar.writeU16(0xFFFF);
            ar.writeU16(schema);
            ar.writeU16(static_cast<std::uint16_t>(className.size()));
            Raw(className);
            classes_.emplace(className, next_++);
        }
        return next_++;
    }

    void ClassReference(std::uint32_t index)
    {
        if (index < 0x7FFF) {
            ar.writeU16(static_cast<std::uint16_t>(0x8000 | index));
        } else {
            ar.writeU16(0x7FFF);
            ar.writeU32(0x80000000u | index);
        }
    }

    // An object back-reference; index 0 is the null object.
    void Reference(std::uint32_t index)
    {
        if (index < 0x7FFF) {
            ar.writeU16(static_cast<std::uint16_t>(index));
        } else {
            ar.writeU16(0x7FFF);
            ar.writeU32(index);
        }
    }

    // An item's class and base fields; parent Self names the item itself.
    std::uint32_t Item(const std::string& className, const std::string& name, std::uint32_t status,
                       std::uint32_t parent, std::uint16_t schema = 4)
    {
        const std::uint32_t index = Object(className, schema);
        ar.writeString(name);
        ar.writeU32(status);
        Reference(parent == Self ? index : parent);
        return index;
    }

    std::uint32_t Site(const std::string& name, std::uint16_t schema = 3)
    {
        const std::uint32_t index = Object("Site", schema);
        ar.writeCount(0);
        for (const char* field : {name.c_str(), "", "", ""})
            ar.writeString(field);
        return index;
    }

    void Raw(const std::string& bytes)
    {
        for (char c : bytes)
            ar.writeU8(static_cast<std::uint8_t>(c));
    }

    // The strings after the release tree and the options block.
    void Tail(const std::string& optionsBlock)
    {
        ar.writeString("C files (*.c)|*.c");
        ar.writeString("");
        ar.writeString("");
        Raw(optionsBlock);
    }

private:
    std::map<std::string, std::uint32_t> classes_;
    std::uint32_t next_ = 1;
};

std::string OptionsBlock()
{
    Archive ar;
    RCSOptions::instance().serialize(ar);
    return ar.bytes();
}

enum class Damage {
    None,
    Version0,
    Version6,
    RootSchema0,
    RootSchema5,
    SiteSchema4,
    SiteListSchema0,
    OptionsVersion9,
    ImportBlockVersion4,
    NullRoot,
    SiteInPlaceOfSiteList,
    ReleaseRootInPlaceOfRoot,
    RootInPlaceOfReleaseRoot,
    RevisionBelowRoot,
    SiteAsChild,
    FileAsOwningSite,
    FileAsReleaseRevision,
    UnknownClass,
    UndefinedClassReference,
    ClassReferenceToObject,
    ForwardReference,
    ReferenceToClassEntry,
    SiteAsParent,
    ChildStoredTwice,
    HugeStringLength,
    HugeCount,
    RootItsOwnParent,
    RevisionItsOwnParent,
};

// A project with two sites, one file with one revision, and one release
// holding that revision, damaged as asked.
std::string DamagedProject(Damage d)
{
    RawProject p;
    p.ar.writeU32(d == Damage::Version0 ? 0 : d == Damage::Version6 ? 6 : 5);

    std::uint32_t york = 0;
    if (d == Damage::SiteInPlaceOfSiteList) {
        p.Site("York");
    } else {
        p.Object("SiteList", d == Damage::SiteListSchema0 ? 0 : 3);
        p.ar.writeCount(2);
        york = p.Site("York", d == Damage::SiteSchema4 ? 4 : 3);
        p.Site("Leeds");
        p.Reference(york);
    }

    if (d == Damage::HugeStringLength) {
        p.ar.writeU8(0xFF);
        p.ar.writeU16(0xFFFF);
        p.ar.writeU32(0xFFFFFFF0);
    } else {
        p.ar.writeString("");  // working directory: the project's own
    }

    std::uint32_t root = 0;
    std::uint32_t file = 0;
    std::uint32_t revision = 0;
    if (d == Damage::NullRoot) {
        p.Reference(0);
    } else {
        const std::uint16_t rootSchema = d == Damage::RootSchema0 ? 0 : d == Damage::RootSchema5 ? 5 : 4;
        root = p.Item(d == Damage::ReleaseRootInPlaceOfRoot ? "RCSReleaseRoot" : "RCSRoot", "P", RootItem,
                      d == Damage::RootItsOwnParent ? RawProject::Self : 0, rootSchema);
        if (d == Damage::HugeCount) {
            p.ar.writeCount(0xFFFFFFFF);
        } else if (d == Damage::RevisionBelowRoot) {
            p.ar.writeCount(1);
            p.Item("RCSVersionItem", "1.1", Tip, root, 2);
            p.ar.writeU32(0);
            p.ar.writeString("");
            p.Reference(0);
            p.ar.writeCount(0);
        } else if (d == Damage::SiteAsChild) {
            p.ar.writeCount(1);
            p.Site("Hull");
        } else {
            p.ar.writeCount(d == Damage::ChildStoredTwice ? 2 : 1);
            std::uint32_t fileParent = root;
            if (d == Damage::ForwardReference)
                fileParent = 999;
            else if (d == Damage::ReferenceToClassEntry)
                fileParent = 1;  // the class SiteList
            else if (d == Damage::SiteAsParent)
                fileParent = york;
            file = p.Item(d == Damage::UnknownClass ? "RCSFolderItem" : "RCSFileItem", "a.c", NewFile,
                          fileParent);
            p.ar.writeU32(0);
            p.ar.writeString("1.1");
            p.ar.writeCount(1);
            if (d == Damage::RootItsOwnParent || d == Damage::RevisionItsOwnParent) {
                // The oldest revision layout finds its file by walking up its parents.
                p.Item("RCSVersionItem", "1.1", Tip, d == Damage::RootItsOwnParent ? root : RawProject::Self, 1);
                p.ar.writeU32(0);
                p.ar.writeString("");
            } else {
                revision = p.Item("RCSVersionItem", "1.1", Tip, file);
                p.Reference(d == Damage::FileAsOwningSite ? file : york);
                p.ar.writeU32(1000000);
                p.ar.writeString("first");
                p.ar.writeString("");
                p.Reference(file);
            }
            p.ar.writeCount(0);
            if (d == Damage::ChildStoredTwice)
                p.Reference(file);
        }
    }

    if (d == Damage::UndefinedClassReference) {
        p.ClassReference(0x999);
    } else if (d == Damage::ClassReferenceToObject) {
        p.ClassReference(root);
    } else {
        const std::uint32_t releases =
            p.Item(d == Damage::RootInPlaceOfReleaseRoot ? "RCSRoot" : "RCSReleaseRoot", "Releases", ReleaseRoot, 0);
        p.ar.writeCount(1);
        const std::uint32_t release = p.Item("RCSReleaseItem", "R1", Release, releases);
        p.ar.writeU32(1000000);
        p.ar.writeCount(1);
        p.Item("RCSReleaseVersionItem", "1.1", ReleaseRevision, release);
        p.Reference(d == Damage::FileAsReleaseRevision ? file : revision);
        p.ar.writeCount(0);
    }

    std::string options = OptionsBlock();
    if (d == Damage::OptionsVersion9)
        options.replace(0, 4, U32(9));
    if (d == Damage::ImportBlockVersion4)
        options.replace(4, 4, U32(4));  // the import block follows the block version
    p.Tail(options);
    return p.ar.bytes();
}

// A file whose revisions each hang below the one before.
std::string DeepProject(int revisions)
{
    RawProject p;
    p.ar.writeU32(3);  // no site list, no working directory
    const std::uint32_t root = p.Item("RCSRoot", "P", RootItem, 0);
    p.ar.writeCount(1);
    std::uint32_t parent = p.Item("RCSFileItem", "a.c", NewFile, root);
    p.ar.writeU32(0);
    p.ar.writeString("");
    for (int i = 0; i < revisions; ++i) {
        p.ar.writeCount(1);
        parent = p.Item("RCSVersionItem", "1.1", Tip, parent, 2);
        p.ar.writeU32(0);
        p.ar.writeString("");
        p.Reference(0);
    }
    p.ar.writeCount(0);
    p.Item("RCSReleaseRoot", "Releases", ReleaseRoot, 0);
    p.ar.writeCount(0);
    p.Tail(OptionsBlock());
    return p.ar.bytes();
}

struct DamageCase {
    const char* name;
    Damage damage;
    const char* reason;  // part of the message
};

void PrintTo(const DamageCase& c, std::ostream* out)
{
    *out << c.name;
}

const DamageCase damageCases[] = {
    {"Version0", Damage::Version0, "version 0"}, {"Version6", Damage::Version6, "version 6"},
    {"RootSchema0", Damage::RootSchema0, "RCSRoot has unsupported schema 0"},
    {"RootSchema5", Damage::RootSchema5, "RCSRoot has unsupported schema 5"},
    {"SiteSchema4", Damage::SiteSchema4, "Site has unsupported schema 4"},
    {"SiteListSchema0", Damage::SiteListSchema0, "SiteList has unsupported schema 0"},
    {"OptionsVersion9", Damage::OptionsVersion9, "options block version 9"},
    {"ImportBlockVersion4", Damage::ImportBlockVersion4, "import settings version 4"},
    {"NullRoot", Damage::NullRoot, "missing object"},
    {"SiteInPlaceOfSiteList", Damage::SiteInPlaceOfSiteList, "unexpected class Site"},
    {"ReleaseRootInPlaceOfRoot", Damage::ReleaseRootInPlaceOfRoot, "unexpected class RCSReleaseRoot"},
    {"RootInPlaceOfReleaseRoot", Damage::RootInPlaceOfReleaseRoot, "unexpected class RCSRoot"},
    {"RevisionBelowRoot", Damage::RevisionBelowRoot, "RCSVersionItem cannot be stored below a RCSRoot"},
    {"SiteAsChild", Damage::SiteAsChild, "unexpected class Site"},
    {"FileAsOwningSite", Damage::FileAsOwningSite, "unexpected class RCSFileItem"},
    {"FileAsReleaseRevision", Damage::FileAsReleaseRevision, "unexpected class RCSFileItem"},
    {"UnknownClass", Damage::UnknownClass, "unknown class \"RCSFolderItem\""},
    {"UndefinedClassReference", Damage::UndefinedClassReference, "class 2457 that was not defined"},
    {"ClassReferenceToObject", Damage::ClassReferenceToObject, "that was not defined"},
    {"ForwardReference", Damage::ForwardReference, "object 999 that was not read"},
    {"ReferenceToClassEntry", Damage::ReferenceToClassEntry, "object 1 that was not read"},
    {"SiteAsParent", Damage::SiteAsParent, "unexpected class Site"},
    {"ChildStoredTwice", Damage::ChildStoredTwice, "stored in two places"},
    {"HugeStringLength", Damage::HugeStringLength, "string longer than the rest of the file"},
    {"HugeCount", Damage::HugeCount, "count 4294967295 larger than the rest of the file"},
    {"RootItsOwnParent", Damage::RootItsOwnParent, "own parent"},
    {"RevisionItsOwnParent", Damage::RevisionItsOwnParent, "own parent"},
};

class ProjectFileDamageTest : public testing::Test {
protected:
    test::ProjectFixture project;
    CKestroDoc& doc = *project.doc;

    std::string Path(const std::string& name) const { return project.scratch.path() + name; }

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
        EXPECT_EQ(doc.root.get(), root);
        EXPECT_EQ(doc.releaseRoot.get(), releaseRoot);
        EXPECT_EQ(doc.GetPathName(), pathName);
    }
};

// The base of every damaged file opens, so each refusal is for its damage.
TEST_F(ProjectFileDamageTest, TheUndamagedProjectOpens)
{
    project.scratch.write("p.rcs", DamagedProject(Damage::None));
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(Path("p.rcs"), error)) << error;
    const auto* entry = dynamic_cast<RCSReleaseVersionItem*>(doc.releaseRoot->children.at(0)->children.at(0).get());
    ASSERT_TRUE(entry && entry->revisionRef);
    EXPECT_EQ(entry->revisionRef->owningSite, doc.siteList->sites.at(0).get());
}

class ProjectFileDamageCaseTest : public ProjectFileDamageTest,
                                  public testing::WithParamInterface<DamageCase> {};

TEST_P(ProjectFileDamageCaseTest, IsRefusedAndLeavesTheDocumentEmpty)
{
    ExpectRefused(DamagedProject(GetParam().damage), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProjectFileDamageCaseTest, testing::ValuesIn(damageCases),
                         [](const testing::TestParamInfo<DamageCase>& c) { return c.param.name; });

TEST_F(ProjectFileDamageTest, NestingIsBounded)
{
    project.scratch.write("deep.rcs", DeepProject(500));
    std::string error;
    EXPECT_TRUE(doc.OnOpenDocument(Path("deep.rcs"), error)) << error;

    // Far deeper than the stack could follow.
    ExpectRefused(DeepProject(200000), "nested too deeply");
}

// Sites, files, revisions (every second one from the other site, the last
// on a branch) and releases holding the newest revision of some files.
void FillProject(CKestroDoc& doc, int files, int revisionsPerFile, int releases, int filesPerRelease)
{
    Site* paris = doc.siteList->Find("Paris");
    if (!paris)
        paris = doc.siteList->Add("Paris", "paris@example.org");
    doc.siteList->SetMaster(paris);
    paris->localToSite.Set("1.2", "1.7");
    std::vector<RCSVersionItem*> newest;
    for (int f = 0; f < files; ++f) {
        auto owned = std::make_unique<RCSFileItem>("src\\f" + std::to_string(f) + ".c", doc.root.get());
        RCSFileItem* file = owned.get();
        file->recordedTime = 1000 + f;
        file->workingRevision = "1.1";
        doc.root->AddChild(std::move(owned));
        RCSVersionItem* first = nullptr;
        for (int r = 1; r <= revisionsPerFile; ++r) {
            const bool branch = r == revisionsPerFile && r > 1;
            auto revision = std::make_unique<RCSVersionItem>();
            revision->name = branch ? "1.1.1.1" : "1." + std::to_string(r);
            revision->file = file;
            revision->date = 700000000 + r;
            revision->message = "change " + std::to_string(r);
            if (r % 2 == 0)
                revision->owningSite = paris;
            if (r == 1)
                revision->locker = "fred";
            RCSVersionItem* added = revision.get();
            (branch ? static_cast<RCSItem*>(first) : file)->AddChild(std::move(revision));
            if (r == 1)
                first = added;
            if (r == revisionsPerFile)
                newest.push_back(added);
        }
    }
    for (int r = 0; r < releases; ++r) {
        RCSReleaseItem* release = doc.releaseRoot->FindOrCreateRelease("R" + std::to_string(r), nullptr);
        release->releaseDate = 800000000 + r;
        for (int f = 0; f < filesPerRelease && f < static_cast<int>(newest.size()); ++f)
            release->AddChild(std::make_unique<RCSReleaseVersionItem>(newest[f]));
    }
}

TEST_F(ProjectFileDamageTest, AFileOfAnotherKindIsNotAProjectFile)
{
    FillProject(doc, 2, 1, 0, 0);
    ExpectRefused("Hello, this is a text file\n", Path("damaged.rcs") + " is not a Kestro project file");
    ExpectRefused("", Path("damaged.rcs") + " is not a Kestro project file");
    EXPECT_EQ(doc.root->children.size(), 2u);
}

TEST_F(ProjectFileDamageTest, EveryTruncationIsRefused)
{
    FillProject(doc, 3, 3, 1, 2);
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(Path("whole.rcs"), error)) << error;
    const std::string whole = test::ReadFile(Path("whole.rcs"));
    ASSERT_GT(whole.size(), 200u);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectRefused(whole.substr(0, length));
        if (HasFailure())
            break;
    }
    ASSERT_TRUE(doc.OnOpenDocument(Path("whole.rcs"), error)) << error;
    EXPECT_EQ(doc.root->children.size(), 3u);
}

class ProjectFileSaveTest : public ProjectFileDamageTest {
protected:
    void SetUp() override
    {
        FillProject(doc, 2, 2, 1, 2);
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(Path("p.rcs"), error)) << error;
        previous = test::ReadFile(Path("p.rcs"));
        FillProject(doc, 300, 3, 0, 0);  // a change to save
        doc.SetModifiedFlag(true);
    }

    std::string previous;
};

TEST_F(ProjectFileSaveTest, SaveWhereNoFileCanBeMadeChangesNothing)
{
    project.scratch.write("plain", "not a directory");
    for (const std::string& target : {Path("plain/p.rcs"), Path("missing/dir/p.rcs")}) {
        SCOPED_TRACE(target);
        std::string error;
        EXPECT_FALSE(doc.OnSaveDocument(target, error));
        EXPECT_NE(error.find(target), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_EQ(doc.GetPathName(), Path("p.rcs"));
        EXPECT_EQ(doc.root->name, "p");
        EXPECT_TRUE(doc.IsModified());
    }
    EXPECT_TRUE(test::ReadFile(Path("p.rcs")) == previous);
}

// A file size limit makes the write fail part way, as a full disk would.
TEST_F(ProjectFileSaveTest, SaveThatFailsPartWayKeepsThePreviousFile)
{
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit limited = original;
    limited.rlim_cur = previous.size() + 512;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string error;
    const bool saved = doc.OnSaveDocument(Path("p.rcs"), error);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find(Path("p.rcs")), std::string::npos) << error;
    EXPECT_TRUE(test::ReadFile(Path("p.rcs")) == previous);
    EXPECT_TRUE(doc.IsModified());
    std::string reopenError;
    ASSERT_TRUE(doc.OnOpenDocument(Path("p.rcs"), reopenError)) << reopenError;
    EXPECT_EQ(doc.root->children.size(), 2u);
}

} // namespace
} // namespace kestro
