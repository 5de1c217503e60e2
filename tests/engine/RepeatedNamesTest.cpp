#include "engine/RepeatedNames.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

int64_t FindRepeat(const std::vector<const char*>& theNames)
{
    CRepeatedNames names;
    for (size_t i = 0; i < theNames.size(); ++i)
        names.Add(static_cast<uint32_t>(i), theNames[i]);
    return names.FindRepeat([&](uint32_t theIndex) { return Cstring(theNames[theIndex]); });
}

TEST(RepeatedNames, FindsTheFirstEntryThatNamesAnEarlierItem)
{
    EXPECT_EQ(FindRepeat({}), -1);
    EXPECT_EQ(FindRepeat({ "a", "b", "a/b", "A" }), -1); // case counts on this file system
    EXPECT_EQ(FindRepeat({ "a", "b", "b", "a" }), 2);
    EXPECT_EQ(FindRepeat({ "a/", "b", "a" }), 2);
    EXPECT_EQ(FindRepeat({ "a", "a/" }), 1);
    EXPECT_EQ(FindRepeat({ "", "a/", "a/", "" }), -1); // folders named twice are harmless
}

} // namespace
