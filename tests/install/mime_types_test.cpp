// The MIME types as a desktop sees them once Kestro is installed: the data
// directories are the installed prefix and the system's, so QMimeDatabase
// reads the installed package (or the cache built from it) the way file
// managers read theirs.

#include "exchange/rcc_writer.h"
#include "support/test_project.h"

#include <QMimeDatabase>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

const std::string ProjectType = "application/x-kestro-project";
const std::string ReleaseCommandsType = "application/x-kestro-release-commands";

std::string TypeOf(const std::string& path, QMimeDatabase::MatchMode mode)
{
    return QMimeDatabase().mimeTypeForFile(QString::fromStdString(path), mode).name().toStdString();
}

class MimeTypes : public testing::Test {
protected:
    // Before the database first looks: it keeps what it found. No user's
    // own types take part.
    static void SetUpTestSuite()
    {
        qputenv("XDG_DATA_DIRS", KESTRO_INSTALLED_DATA ":/usr/share");
        qputenv("XDG_DATA_HOME", KESTRO_INSTALLED_DATA "/no-user-data");
    }
};

// Saved files are known by name, by name in capitals, and by their first
// bytes under any name; files that only resemble them are not taken.
TEST_F(MimeTypes, ProjectAndReleaseCommandFilesAreKnownByNameAndByContent)
{
    test::ProjectFixture project;
    const std::string dir = project.scratch.path();
    std::string error;
    ASSERT_TRUE(project.doc->OnSaveDocument(dir + "Parser.rcs", error)) << error;
    CommandFile file;
    ASSERT_TRUE(file.Open(dir + "R1.RCC"));
    ASSERT_TRUE(WriteCommandLine(file, "RCS1", "", "R1", "Parser"));
    ASSERT_TRUE(WriteCommandLine(file, "SITE", "Here", "", "There"));
    ASSERT_TRUE(file.Close());
    std::filesystem::copy_file(dir + "Parser.rcs", dir + "parser-backup");
    std::filesystem::copy_file(dir + "R1.RCC", dir + "release-for-there");
    project.scratch.write("mentions", "The keyword RCS1 starts a release file\n");
    // A version and a new-class tag, but another class first.
    project.scratch.write("other-archive", std::string("\x05\x00\x00\x00\xff\xff\x01\x00\x07\x00RCSRoot", 17));

    const std::tuple<std::string, QMimeDatabase::MatchMode, std::string> cases[] = {
        {"Parser.rcs", QMimeDatabase::MatchDefault, ProjectType},
        {"OLDNAME.RCS", QMimeDatabase::MatchExtension, ProjectType},
        {"Parser.rcs", QMimeDatabase::MatchContent, ProjectType},
        {"parser-backup", QMimeDatabase::MatchDefault, ProjectType},
        {"R1.RCC", QMimeDatabase::MatchDefault, ReleaseCommandsType},
        {"r2.rcc", QMimeDatabase::MatchExtension, ReleaseCommandsType},
        {"release-for-there", QMimeDatabase::MatchDefault, ReleaseCommandsType},
        {"mentions", QMimeDatabase::MatchContent, "text/plain"},
        {"other-archive", QMimeDatabase::MatchContent, "application/octet-stream"},
    };
    for (const auto& [name, mode, type] : cases)
        EXPECT_EQ(TypeOf(dir + name, mode), type) << name;
    // Text editors may open release command files too.
    EXPECT_TRUE(QMimeDatabase().mimeTypeForName(QString::fromStdString(ReleaseCommandsType)).inherits("text/plain"));
}

} // namespace
} // namespace kestro
