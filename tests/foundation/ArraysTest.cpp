#include "foundation/Arrays.h"

#include <gtest/gtest.h>

TEST(Arrays, SetSizeGrowsWithZeroesAndShrinksKeepingThePrefix)
{
    CLongArray longs(2);
    longs.At(0) = 5;
    longs.At(1) = 6;
    longs.SetSize(3);
    EXPECT_EQ(longs.GetCount(), 3);
    EXPECT_EQ(longs.At(0), 5);
    EXPECT_EQ(longs.At(1), 6);
    EXPECT_EQ(longs.At(2), 0);
    longs.SetSize(1);
    EXPECT_EQ(longs.GetCount(), 1);
    EXPECT_EQ(longs.At(0), 5);

    CDoubleArray doubles(1);
    doubles.At(0) = 2.5;
    doubles.SetSize(2);
    EXPECT_EQ(doubles.At(0), 2.5);
    EXPECT_EQ(doubles.At(1), 0.0);
    CDoubleArray copy;
    copy = doubles;
    EXPECT_EQ(copy.GetCount(), 2);
    EXPECT_EQ(copy.At(0), 2.5);

    CStringArray strings;
    strings.Add(Cstring("one"));
    strings.Add(strings.At(0)); // adding one of its own elements survives the reallocation
    strings.SetSize(3);
    EXPECT_STREQ(strings.At(1).GetText(), "one");
    EXPECT_STREQ(strings.At(2).GetText(), "");
    strings.EnsureSize(2);
    EXPECT_EQ(strings.GetCount(), 3) << "EnsureSize never shrinks";
    strings.RemoveAll();
    EXPECT_EQ(strings.GetCount(), 0);
}

TEST(Arrays, FindNoCaseSkipsEmptyElements)
{
    CStringArray names;
    names.Add(Cstring(""));
    EXPECT_EQ(names.FindNoCase(""), -1) << "empty elements never match, not even an empty text";
    names.Add(Cstring("readme.txt"));
    EXPECT_EQ(names.FindNoCase("README.TXT"), 1);
    EXPECT_EQ(CStringArray().FindNoCase("x"), -1);
}

TEST(Arrays, StringPointerArrayOwnsAndReusesSlots)
{
    CStringPtrArray slots;
    slots.AddCopy("a");
    slots.Add(nullptr);
    slots.AddCopy("c");
    EXPECT_EQ(slots.FindEmpty(), 1);
    EXPECT_EQ(slots.FindNoCase("C"), 2);
    EXPECT_EQ(slots.FindNoCase("b"), -1);
    slots.Put(1, new Cstring("b"));
    EXPECT_EQ(slots.FindEmpty(), -1);
    slots.SetSize(2); // the dropped string is deleted (the leak checker watches)
    EXPECT_EQ(slots.GetCount(), 2);
    EXPECT_STREQ(slots.At(1)->GetText(), "b");
    slots.SetSize(0);
    EXPECT_EQ(slots.FindEmpty(), -1);
}

TEST(ArraysDeathTest, AccessOutsideTheArrayAsserts)
{
    EXPECT_DEATH(CLongArray().At(0), "failed assertion `itsList!=NULL'");
    EXPECT_DEATH(CDoubleArray().At(0), "failed assertion `itsList!=NULL'");
    EXPECT_DEATH(CStringArray().At(0), "failed assertion `itsList!=NULL'");
    EXPECT_DEATH(CStringPtrArray().At(0), "failed assertion `itsList!=NULL'");
    EXPECT_DEATH(CLongArray(2).At(2), "failed assertion `theIndex<itsCount'");
    EXPECT_DEATH(CStringArray(1).At(-1), "failed assertion `theIndex<itsCount'");
}
