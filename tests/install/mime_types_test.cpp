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

std::string TypeOf(const std::string& path, QMimeDatabase::MatchMode mode = QMimeDatabase::MatchDefault)
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

TEST_F(MimeTypes, ProjectFilesAreKnownByNameAndByTheirHeader)
{
    test::ProjectFixture project;
    const std::string saved = project.scratch.path() + "Parser.rcs";
    std::string error;
    ASSERT_TRUE(project.doc->OnSaveDocument(saved, error)) << error;
    const std::string upperCase = project.scratch.path() + "OLDNAME.RCS";
    const std::string renamed = project.scratch.path() + "parser-backup";
    std::filesystem::copy_file(saved, upperCase);
    std::filesystem::copy_file(saved, renamed);

    EXPECT_EQ(TypeOf(saved), ProjectType);
    EXPECT_EQ(TypeOf(upperCase, QMimeDatabase::MatchExtension), ProjectType);
    EXPECT_EQ(TypeOf(saved, QMimeDatabase::MatchContent), ProjectType);
    EXPECT_EQ(TypeOf(renamed), ProjectType);
}

TEST_F(MimeTypes, ReleaseCommandFilesAreKnownByNameAndByTheirFirstCommand)
{
    test::ScratchDirectory scratch;
    const std::string written = scratch.path() + "R1.RCC";
    CommandFile file;
    ASSERT_TRUE(file.Open(written));
    ASSERT_TRUE(WriteCommandLine(file, "RCS1", "", "R1", "Parser"));
    ASSERT_TRUE(WriteCommandLine(file, "SITE", "Here", "", "There"));
    ASSERT_TRUE(file.Close());
    const std::string renamed = scratch.path() + "release-for-there";
    std::filesystem::copy_file(written, renamed);

    EXPECT_EQ(TypeOf(written), ReleaseCommandsType);
    EXPECT_EQ(TypeOf(scratch.path() + "r2.rcc", QMimeDatabase::MatchExtension), ReleaseCommandsType);
    EXPECT_EQ(TypeOf(renamed), ReleaseCommandsType);
    // Text editors may open them too.
    EXPECT_TRUE(QMimeDatabase().mimeTypeForName(QString::fromStdString(ReleaseCommandsType)).inherits(QStringLiteral("text/plain")));
}

TEST_F(MimeTypes, ContentRulesTakeNoOtherFile)
{
    test::ScratchDirectory scratch;
    scratch.write("mentions", "The keyword RCS1 starts a release file\n");
    // A version and a new-class tag, but another class first.
    scratch.write("other-archive", std::string("\x05\x00\x00\x00\xff\xff\x01\x00\x07\x00RCSRoot", 17));

    EXPECT_NE(TypeOf(scratch.path() + "mentions", QMimeDatabase::MatchContent), ReleaseCommandsType);
    EXPECT_NE(TypeOf(scratch.path() + "other-archive", QMimeDatabase::MatchContent), ProjectType);
}

} // namespace
} // namespace kestro
