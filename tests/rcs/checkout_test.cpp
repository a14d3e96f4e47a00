// Check-out with the real co: what it replaces, the options it passes, copies
// elsewhere and releases.

#include "support/rcs_history.h"

#include <cstdlib>

namespace kestro {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct CheckoutTest : RcsProjectTest {
    std::string Co(const std::string& options) const { return DirectProgram("co") + options; }
    CheckoutSettings& settings = RCSOptions::instance().checkout;
};

TEST_F(CheckoutTest, AChangedWorkingFileIsReplacedOnlyWithForce)
{
    WriteText("new.c", "x\n");
    EXPECT_EQ(doc->AddFile("new.c")->Checkout(), 1);
    EXPECT_EQ(TakeResults(), "Cannot check out new.c as it has never been checked in\r\n");

    CheckIn("w.c", "checked in\n", "first");
    RCSFileItem* file = Add("w.c");
    ASSERT_EQ(file->Checkout(), 0) << Results();
    EXPECT_EQ(file->Checkout(), 0) << "an untouched file in the same second is replaced";
    // An edit in the second of the last check-out is not lost.
    Rewrite("w.c", "precious edit\n");
    SetModificationTime("w.c", file->recordedTime);
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Checkout(), 1);
    EXPECT_EQ(Results(), "w.c : the working file has changed since it was last checked in or out"
                         " - check out with Force to replace it\r\n");
    EXPECT_EQ(ReadFile("w.c"), "precious edit\n");
    SetModificationTime("w.c", file->recordedTime + 100);
    EXPECT_EQ(file->Checkout(), 1);
    EXPECT_EQ(ReadFile("w.c"), "precious edit\n");
    EXPECT_EQ(file->StatusCode(), Modified);

    settings.force = true;
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Co(" -f -l " + file->GetWorkingPath() + " RCS/w.c,v\r\n"))) << Results();
    EXPECT_EQ(ReadFile("w.c"), "checked in\n");
    EXPECT_EQ(file->recordedTime, ModificationTime("w.c"));
    EXPECT_EQ(file->StatusCode(), CheckedIn);
    EXPECT_EQ(file->FindRevision("1.1")->locker, LoginName());
}

// The options asked for reach co, each as one argument, and the revision
// comes from co's own output.
TEST_F(CheckoutTest, OptionsReachCo)
{
    CheckIn("revision k.c", "$Revision$ one\n", "first", {"-l", "-d2001/06/01 12:00:00"});
    CheckIn("revision k.c", "$Revision$ two\n", "second", {"-d2001/07/01 12:00:00"});
    RCSFileItem* file = Add("revision k.c");
    settings.revision = "1.1";
    settings.lock = false;
    settings.keepTime = true;
    settings.noKeywords = true;
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Co(" -f -M -kk -u1.1 \"" + file->GetWorkingPath() + "\""))) << Results();
    EXPECT_EQ(ReadFile("revision k.c"), "$Revision$ one\n");
    EXPECT_LT(std::abs(ModificationTime("revision k.c") - 991353600), 2 * 86400) << "the revision's date";
    EXPECT_EQ(file->recordedTime, ModificationTime("revision k.c"));

    settings = CheckoutSettings();
    settings.lock = false;
    settings.checkoutDate = "2001/06/15 12:00";
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Co(" -f -u \"-d2001/06/15 12:00\" "))) << Results();
    EXPECT_EQ(file->workingRevision, "1.1");

    // The revision from the working file's keywords.
    settings = CheckoutSettings();
    settings.revision = "1.2";
    settings.determineRevision = true;
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Co(" -f -l$ "))) << Results();
    EXPECT_EQ(file->workingRevision, "1.1");
    EXPECT_EQ(file->FindRevision("1.1")->locker, LoginName());
    EXPECT_EQ(file->FindRevision("1.2")->locker, "");
}

TEST_F(CheckoutTest, CopiesGoElsewhereAndTheWorkingDirectoryGetsItsDirectories)
{
    CheckIn("src/main.c", "first text\n", "first", {"-l"});
    CheckIn("src/main.c", "second text\n", "second");
    RCSFileItem* file = doc->AddFile("src/main.c");
    Rewrite("src/main.c", "edited\n");
    file->recordedTime = 1000;
    file->workingRevision = "1.2";
    file->UpdateStatus();
    EXPECT_TRUE(file->PrepareCheckout());
    EXPECT_TRUE(settings.allowTargetFile);
    settings.revision = "1.1";
    settings.lock = false;
    settings.targetFile = "copies/old one/main.c";

    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Co(" -u1.1 -p src/RCS/main.c,v >copies/old one/main.c\r\n"))) << Results();
    EXPECT_EQ(ReadFile("copies/old one/main.c"), "first text\n");
    EXPECT_EQ(ReadFile("src/main.c"), "edited\n");
    EXPECT_EQ(file->recordedTime, 1000);
    // The runner never writes over a file that exists.
    CommandResults::instance().ClearResults();
    settings.revision = "1.2";
    EXPECT_EQ(file->Checkout(), -1);
    EXPECT_EQ(Results(), Co(" -u1.2 -p src/RCS/main.c,v >copies/old one/main.c\r\nCannot create copies/old one/main.c\r\n"));
    EXPECT_EQ(ReadFile("copies/old one/main.c"), "first text\n");

    fs::create_directories("elsewhere");
    ASSERT_TRUE(doc->SetWorkingDirectory(scratch.path() + "elsewhere", false));
    settings.targetFile.clear();
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_EQ(ReadFile("elsewhere/src/main.c"), "second text\n");
    EXPECT_EQ(file->StatusCode(), CheckedIn);
}

TEST_F(CheckoutTest, ReleaseIsCheckedOutFileByFileAndNamedOnlyWhenComplete)
{
    for (const char* name : {"a.c", "b.c"}) {
        CheckIn(name, std::string(name, 1) + "1\n", "first", {"-l"});
        CheckIn(name, std::string(name, 1) + "2\n", "second");
    }
    ASSERT_EQ(RunProgram({"rcs", "-q", "-nBeta_2:1.1", "a.c"}), 0);
    RCSFileItem* a = Add("a.c");
    RCSFileItem* b = Add("b.c");
    RCSReleaseItem* release = doc->releaseRoot->FindOrCreateRelease("Beta 2", a->FindRevision("1.1"));
    release->AddRevision(a->FindRevision("1.1"));
    release->AddRevision(b->FindRevision("1.1"));
    doc->releaseNameFile = "release.h";
    EXPECT_TRUE(release->PrepareCheckout());
    EXPECT_EQ(settings.revision, "Beta 2");
    EXPECT_FALSE(settings.allowTargetFile);

    // b.c lacks the symbol: a.c is still checked out, the release is not named.
    EXPECT_NE(release->Checkout(), 0);
    EXPECT_TRUE(Has(Results(), Co(" -f -lBeta_2 " + a->GetWorkingPath()))) << Results();
    EXPECT_EQ(ReadFile("a.c"), "a1\n");
    EXPECT_EQ(ReadFile("b.c"), "b2\n");
    EXPECT_FALSE(fs::exists("release.h"));

    ASSERT_EQ(RunProgram({"rcs", "-q", "-nBeta_2:1.1", "b.c"}), 0);
    EXPECT_EQ(release->Checkout(), 0) << Results();
    EXPECT_EQ(ReadFile("b.c"), "b1\n");
    EXPECT_EQ(b->workingRevision, "1.1");
    EXPECT_EQ(b->FindRevision("1.1")->locker, LoginName());
    EXPECT_EQ(ReadFile("release.h"), "#define RELEASE \"Beta 2\"\r\n");
}

} // namespace
} // namespace kestro
