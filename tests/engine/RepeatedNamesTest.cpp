#include "engine/RepeatedNames.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int64_t FindRepeat(
    const std::vector<const char*>& theNames, CRepeatedNames::CaseRule theRule = CRepeatedNames::kCaseCounts)
{
    CRepeatedNames names(theRule);
    for (size_t i = 0; i < theNames.size(); ++i)
        names.Add(static_cast<uint32_t>(i), theNames[i]);
    return names.FindRepeat([&](uint32_t theIndex) { return Cstring(theNames[theIndex]); });
}

TEST(RepeatedNames, FindsTheFirstEntryThatNamesAnEarlierItem)
{
    EXPECT_EQ(FindRepeat({}), -1);
    EXPECT_EQ(FindRepeat({ "a", "b", "c/b", "A" }), -1); // case counts on this file system
    EXPECT_EQ(FindRepeat({ "a", "b", "b", "a" }), 2);
    EXPECT_EQ(FindRepeat({ "a/", "b", "a" }), 2);
    EXPECT_EQ(FindRepeat({ "a", "a/" }), 1);
    EXPECT_EQ(FindRepeat({ "", "a/", "a/", "" }), -1); // folders named twice are harmless
    // A file where another entry implies a folder.
    EXPECT_EQ(FindRepeat({ "a", "a/b" }), 1);
    EXPECT_EQ(FindRepeat({ "x/a/b/c", "y", "x/a" }), 2);
    EXPECT_EQ(FindRepeat({ "x/a/", "x/a/b", "x/a/c", "x/b/a" }), -1);
}

TEST(RepeatedNames, IgnoringCase)
{
    const auto ignored = CRepeatedNames::kCaseIgnored;
    EXPECT_EQ(FindRepeat({ "Help/Index.html", "help/index.HTML" }, ignored), 1);
    EXPECT_EQ(FindRepeat({ "Help/a", "HELP/b" }, ignored), 1) << "two spellings of one folder";
    EXPECT_EQ(FindRepeat({ "Help/", "Help/a", "Help/b", "Help/" }, ignored), -1);
    EXPECT_EQ(FindRepeat({ "readme", "README/x" }, ignored), 1);
}

TEST(RepeatedNames, ManyFilesInFewFoldersStayCheap)
{
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i)
        names.push_back("group" + std::to_string(i % 50) + "/sub/f" + std::to_string(i));
    std::vector<const char*> pointers;
    for (const std::string& name : names)
        pointers.push_back(name.c_str());
    EXPECT_EQ(FindRepeat(pointers, CRepeatedNames::kCaseIgnored), -1);
}

} // namespace
