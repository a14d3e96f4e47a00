#include "archive/archive.h"

#include "model/root_item.h"
#include "model/site_list.h"
#include "support/archive_bytes.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

std::string U16(std::uint16_t v) { return test::ArchiveBytes().u16(v).data; }
std::string U32(std::uint32_t v) { return test::ArchiveBytes().u32(v).data; }

// Each string length and count with the bytes that store it; both read back.
TEST(ArchiveTest, LengthsAndCountsTakeTheirFormAtEachBoundary)
{
    const std::string escaped = "\xFF" + U16(0xFFFF);
    const std::vector<std::pair<std::uint32_t, std::string>> lengths = {
        {0, std::string(1, '\0')}, {254, "\xFE"}, {255, "\xFF" + U16(255)}, {0xFFFD, "\xFF" + U16(0xFFFD)},
        {0xFFFE, escaped + U32(0xFFFE)}, {0x10000, escaped + U32(0x10000)},
    };
    for (const auto& [length, prefix] : lengths) {
        SCOPED_TRACE(length);
        const std::string text(length, 'x');
        Archive out;
        out.writeString(text);
        EXPECT_EQ(out.bytes(), prefix + text);
        Archive in(out.bytes());
        EXPECT_TRUE(in.readString() == text && in.atEnd());
    }
    const std::vector<std::pair<std::uint32_t, std::string>> counts = {
        {0, U16(0)}, {0xFFFE, U16(0xFFFE)}, {0xFFFF, U16(0xFFFF) + U32(0xFFFF)},
        {0x12345678, U16(0xFFFF) + U32(0x12345678)},
    };
    for (const auto& [count, bytes] : counts) {
        SCOPED_TRACE(count);
        Archive out;
        out.writeCount(count);
        EXPECT_EQ(out.bytes(), bytes);
        Archive in(out.bytes());
        EXPECT_TRUE(in.readCount(0) == count && in.atEnd());
    }
}

struct LargeIndexCase {
    std::uint32_t siteCount;
    std::string masterTag;     // back-reference to the last site
    std::string rootClassTag;  // back-reference to the class RCSRoot
    std::string rootTag;       // back-reference to the first root
};

// With n sites the last site has index n + 3, the class RCSRoot n + 4 and the
// first root n + 5; from 0x7FFF on each needs the escaped form.
TEST(ArchiveTest, IndicesFrom7FFFAreEscaped)
{
    const LargeIndexCase cases[] = {
        // site 0x7FFD, class 0x7FFE, root 0x7FFF
        {0x7FFA, U16(0x7FFD), U16(0xFFFE), U16(0x7FFF) + U32(0x7FFF)},
        // site 0x7FFE, class 0x7FFF, root 0x8000
        {0x7FFB, U16(0x7FFE), U16(0x7FFF) + U32(0x80007FFF), U16(0x7FFF) + U32(0x8000)},
        // site 0x7FFF, class 0x8000, root 0x8001
        {0x7FFC, U16(0x7FFF) + U32(0x7FFF), U16(0x7FFF) + U32(0x80008000), U16(0x7FFF) + U32(0x8001)},
    };
    for (const LargeIndexCase& c : cases) {
        SCOPED_TRACE(c.siteCount);
        SiteList list;
        for (std::uint32_t i = 0; i < c.siteCount; ++i)
            list.sites.push_back(std::make_unique<Site>());
        list.master = list.sites.back().get();
        RCSRoot first;
        RCSRoot second;
        first.name = "a";
        second.name = "b";

        Archive out;
        out.writeObject(&list);
        const std::size_t listEnd = out.bytes().size();
        out.writeObject(&first);
        out.writeObject(&second);
        out.writeObject(&first);

        const std::string emptySite = U16(0x8003) + U16(0) + std::string(4, '\0');
        EXPECT_EQ(out.bytes().substr(listEnd - emptySite.size() - c.masterTag.size()),
                  emptySite + c.masterTag
                      + U16(0xFFFF) + U16(4) + U16(7) + "RCSRoot" + "\x01" "a" + U32(RootItem) + U16(0) + U16(0)
                      + c.rootClassTag + "\x01" "b" + U32(RootItem) + U16(0) + U16(0)
                      + c.rootTag);

        Archive in(out.bytes());
        const auto list2 = in.readOwned<SiteList>();
        ASSERT_EQ(list2->sites.size(), c.siteCount);
        EXPECT_EQ(list2->master, list2->sites.back().get());
        const auto first2 = in.readOwned<RCSRoot>();
        const auto second2 = in.readOwned<RCSRoot>();
        EXPECT_TRUE(first2->name == "a" && second2->name == "b");
        EXPECT_EQ(in.readReference<RCSRoot>(), first2.get());
        EXPECT_TRUE(in.atEnd());
    }
}

} // namespace
} // namespace kestro
