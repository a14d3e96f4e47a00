#include "model/command_results.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct SiteListTest : test::ProjectFixture {
    SiteList& sites() { return *doc->siteList; }
};

TEST(SiteList, NamesAreUniqueIgnoringCaseAndStayInTheSendArea)
{
    SiteListTest t;
    RCSOptions::instance().defaultSendCommand = "mail %m";
    Site* paris = t.sites().Add("Paris", "paris@example.org");
    ASSERT_NE(paris, nullptr);
    EXPECT_EQ(paris->sendCommand, "mail %m");
    EXPECT_EQ(t.sites().Add("PARIS", ""), nullptr);
    auto duplicate = std::make_unique<Site>("paris", "");
    EXPECT_FALSE(t.sites().Add(duplicate));
    EXPECT_NE(duplicate, nullptr) << "a refused site stays with the caller";
    EXPECT_EQ(t.sites().Find("pArIs"), paris);
    EXPECT_EQ(t.sites().FindOrCreate("paris"), paris);
    EXPECT_FALSE(t.sites().IsMaster(paris));

    // Names that could lead out of the send area are refused.
    CommandResults::instance().ClearResults();
    for (const char* bad : {"", "  ", ".", "..", "../..", "a/b", "a\\b", "/"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(t.sites().Add(bad, ""), nullptr);
        EXPECT_EQ(t.sites().FindOrCreate(bad), nullptr);
    }
    EXPECT_EQ(t.sites().sites.size(), 2u);
    EXPECT_NE(CommandResults::instance().Text().find("Cannot create site (blank name)\r\n"), std::string::npos);
    EXPECT_NE(CommandResults::instance().Text().find("Cannot create site .. ("), std::string::npos);
    Site* rome = t.sites().FindOrCreate("Rome");
    ASSERT_NE(rome, nullptr);
    EXPECT_FALSE(t.sites().IsMaster(rome)) << "a site found or created is never made master";
}

TEST(SiteList, SetMasterAndListLines)
{
    SiteListTest t;
    Site* paris = t.sites().Add("Paris", "p@x");
    t.sites().Add("Rome", "");
    t.sites().SetMaster(paris);
    std::vector<SiteEntry> lines;
    EXPECT_EQ(t.sites().FillListBox(lines), 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].text == "Paris (Master)\tp@x" && lines[1].text == "Rome\t");
    std::vector<SiteEntry> combo;
    EXPECT_EQ(t.sites().FillComboBox(combo, true), 3);
    EXPECT_EQ(combo.front().text, "London");
    t.sites().SetMaster(nullptr);
    EXPECT_EQ(t.sites().master, t.sites().GetLocalSite());
}

TEST(Site, RevisionPairsTranslateBothWays)
{
    test::ResetOptions();
    Site site("Paris", "");
    site.RecordRevisionPair("1.3.1.1", "1.3.2.1");
    EXPECT_EQ(site.siteToLocal.size(), 2u);
    EXPECT_EQ(*site.siteToLocal.Find("1.3.1"), "1.3.2");
    EXPECT_EQ(site.siteToLocal.Find("1.3"), nullptr) << "recording stops where the numbers agree";
    EXPECT_EQ(site.TranslateRevision("1.3.1.1", Site::Direction::SiteToLocal), "1.3.2.1");
    EXPECT_EQ(site.TranslateRevision("1.3.1.4", Site::Direction::SiteToLocal), "1.3.2.4");
    EXPECT_EQ(site.TranslateRevision("1.3.2.4", Site::Direction::LocalToSite), "1.3.1.4");
    EXPECT_EQ(site.TranslateRevision("1.5", Site::Direction::SiteToLocal), "1.5");

    Site other("Rome", "");
    other.RecordRevisionPair("1.3.2", "1.4");
    EXPECT_EQ(other.TranslateRevision("1.4.1.1", Site::Direction::LocalToSite), "1.3.2.1.1");
    EXPECT_EQ(*other.localToSite.Find("1"), "1.3") << "shortened pairs are recorded while they differ";
    other.RecordRevisionPair("1.1", "1.1");
    EXPECT_EQ(other.localToSite.Find("1.1"), nullptr) << "equal numbers record nothing";
}

TEST(Site, SendDirectoryLiesBelowTheProject)
{
    SiteListTest t;
    std::string error;
    ASSERT_TRUE(t.doc->OnSaveDocument(t.scratch.path() + "Parser.rcs", error)) << error;
    Site* paris = t.sites().Add("Paris", "");
    EXPECT_EQ(paris->SendDirectory(), t.scratch.path() + "RCSSites/Parser/Paris/");
    paris->name = "..";  // as an older project file might hold it
    EXPECT_EQ(paris->SendDirectory(), "");
}

} // namespace
} // namespace kestro
