#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <utime.h>

namespace kestro {
namespace {

using test::ProjectFixture;

void SetModificationTime(const std::string& path, std::time_t time)
{
    utimbuf times{time, time};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

TEST(FileStatus, PathsFollowTheWorkingDirectoryAndTheRcsSubdirectory)
{
    ProjectFixture project;
    RCSFileItem file("src\\main.c", nullptr);
    EXPECT_EQ(file.SplitName(), std::make_pair(std::string("src\\"), std::string("main.c")));
    EXPECT_EQ(file.GetWorkingPath(), project.scratch.path() + "src/main.c");
    EXPECT_EQ(file.GetRcsPath(), "src/RCS/main.c,v");
    // Looking at a file's status makes no directories.
    EXPECT_FALSE(std::filesystem::exists("src/RCS"));

    project.scratch.write("src/RCS/main.c", "plain RCS file");
    EXPECT_EQ(file.GetRcsPath(), "src/RCS/main.c");
    project.scratch.write("src/RCS/main.c,v", "suffixed RCS file");
    EXPECT_EQ(file.GetRcsPath(), "src/RCS/main.c,v");

    RCSFileItem topLevel("readme.txt", nullptr);
    EXPECT_EQ(topLevel.GetRcsPath(), "RCS/readme.txt,v");
    topLevel.CreateRcsDirectory();
    EXPECT_TRUE(std::filesystem::is_directory("RCS"));

    // Working files are looked for in the working directory; RCS files stay
    // relative to the project directory.
    project.scratch.write("work/a.c", "text");
    ASSERT_TRUE(project.doc->SetWorkingDirectory(project.scratch.path() + "work", false));
    RCSFileItem moved("a.c", nullptr);
    EXPECT_EQ(moved.GetWorkingPath(), project.scratch.path() + "work/a.c");
    EXPECT_EQ(moved.StatusCode(), NewFile);
    EXPECT_EQ(moved.GetRcsPath(), "RCS/a.c,v");
}

TEST(FileStatus, StatusComesFromTheWorkingFileTheRcsFileAndTheRecordedTime)
{
    ProjectFixture project;
    RCSFileItem file("a.c", nullptr);
    EXPECT_EQ(file.StatusCode(), MissingFile);

    // Bits other than the status code survive a change of status.
    file.status |= CoveredFlag | 0x100;
    project.scratch.write("a.c", "text");
    file.UpdateStatus();
    EXPECT_EQ(file.status, NewFile | CoveredFlag | 0x100);
    EXPECT_NE(file.workingTime, 0);

    project.scratch.write("RCS/a.c,v", "history");
    file.UpdateStatus();
    EXPECT_EQ(file.StatusCode(), Modified) << "never checked in or out";

    // Modified only when the working file is newer than the recorded time.
    file.recordedTime = 1000000;
    for (const auto& [time, status] : {std::pair{1000000, CheckedIn}, {1000001, Modified}, {999999, CheckedIn}}) {
        SetModificationTime("a.c", time);
        file.UpdateStatus();
        EXPECT_EQ(file.StatusCode(), status) << time;
    }

    std::filesystem::remove("a.c");
    file.UpdateStatus();
    EXPECT_EQ(file.StatusCode(), OnlyInRcs);
    EXPECT_EQ(file.workingTime, 0);
}

} // namespace
} // namespace kestro
