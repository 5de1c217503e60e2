#include "foundation/Cstring.h"
#include "foundation/Arrays.h"
#include "support/ScopedTextSource.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

namespace {

// Every construction keeps the room rule: 15 spare bytes beyond maxLength.
void ExpectRoomInvariant(const Cstring& theString)
{
    EXPECT_EQ(theString.GetAllocSize(), static_cast<uint32_t>(theString.GetMaxLength()) + 15);
    EXPECT_LE(theString.Length(), theString.GetMaxLength());
}

std::string Bracketed(const CStringArray& thePieces)
{
    std::string text;
    for (int i = 0; i < thePieces.GetCount(); ++i)
        text += std::string("[") + thePieces.At(i).GetText() + "]";
    return text;
}

CResFile* gFileAsked = nullptr;

// Text 7 is a format; every other number has a text that names it.
Cstring NumberedText(int theTextId, CResFile* theFile)
{
    gFileAsked = theFile;
    Cstring text;
    if (theTextId == 7)
        text = "%d of %s";
    else
        text.Format("text %d", theTextId);
    return text;
}

} // namespace

TEST(Cstring, RoomGrowsExactlyAndCopiesAndClearingKeepIt)
{
    Cstring empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.IsNotEmpty());
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_EQ(empty.GetMaxLength(), 1);
    ExpectRoomInvariant(empty);

    Cstring text("abc");
    text.Reserve(1000);
    EXPECT_STREQ(text.GetText(), "abc") << "growing keeps the text";
    const Cstring copy(text);
    EXPECT_EQ(copy.GetMaxLength(), 1000) << "a copy keeps the source's room, not only its length";
    ExpectRoomInvariant(copy);

    text.Reserve(10);
    EXPECT_EQ(text.GetMaxLength(), 1000) << "a smaller request changes nothing";

    text.Append(std::string(1000, 'x').c_str());
    EXPECT_EQ(text.GetMaxLength(), 1003) << "growth is to the exact length, no doubling";
    EXPECT_EQ(text.Length(), 1003);
    ExpectRoomInvariant(text);

    text.Clear();
    EXPECT_EQ(text.GetMaxLength(), 1003) << "clearing keeps the room";
    for (uint32_t i = 0; i < text.GetAllocSize(); ++i)
        ASSERT_EQ(text.GetText()[i], 0) << "clearing zeroes every byte, " << i;
}

TEST(Cstring, AssignCopiesPrefixesAndKeepsRoomForEmptySources)
{
    Cstring s;
    s.Assign("abcdef", 3);
    EXPECT_STREQ(s.GetText(), "abc");

    s.Reserve(50);
    s.Assign(nullptr);
    EXPECT_STREQ(s.GetText(), "");
    EXPECT_EQ(s.GetMaxLength(), 50);
    s.Assign("");
    EXPECT_EQ(s.GetMaxLength(), 50);

    // A prefix length does not look for the end of the source.
    const char noTerminator[4] = { 'w', 'x', 'y', 'z' };
    s.Assign(noTerminator, 2);
    EXPECT_STREQ(s.GetText(), "wx");
}

TEST(Cstring, SelfReferencesSurviveGrowth)
{
    // Growing frees the old buffer; texts taken from the string itself must
    // have been copied before that.
    Cstring s("abcd");
    s.Append(s.GetText());
    EXPECT_STREQ(s.GetText(), "abcdabcd");
    s.Assign(s.GetText() + 2);
    EXPECT_STREQ(s.GetText(), "cdabcd");
    s.Format("%s-%s-%s", s.GetText(), s.GetText(), s.GetText());
    EXPECT_STREQ(s.GetText(), "cdabcd-cdabcd-cdabcd");
    s = s;
    EXPECT_STREQ(s.GetText(), "cdabcd-cdabcd-cdabcd");
}

TEST(Cstring, FormatGrowsToFitLongResults)
{
    Cstring s;
    const std::string longArgument(5000, 'q');
    s.Format("[%s]", longArgument.c_str());
    EXPECT_EQ(s.Length(), 5002);
    EXPECT_EQ(std::string(s.GetText()), "[" + longArgument + "]");
    ExpectRoomInvariant(s);

    s.Format("%d-%s", 42, "x");
    EXPECT_STREQ(s.GetText(), "42-x");
    EXPECT_GE(s.GetMaxLength(), static_cast<int>(std::strlen("%d-%s")) + 256);
}

TEST(Cstring, ReplaceCountsOverlapsAndGrowsForFollowingAppends)
{
    Cstring shrink("aaa");
    EXPECT_EQ(shrink.Replace("aa", "b"), 2) << "overlapping occurrences are each counted";
    EXPECT_STREQ(shrink.GetText(), "ba");

    Cstring grow("axbxc");
    EXPECT_EQ(grow.Replace("x", "yy"), 2);
    EXPECT_STREQ(grow.GetText(), "ayybyyc");
    ExpectRoomInvariant(grow);
    grow.Append("-tail");
    EXPECT_STREQ(grow.GetText(), "ayybyyc-tail");

    Cstring none("abc");
    EXPECT_EQ(none.Replace("zz", "y"), 0);
    EXPECT_STREQ(none.GetText(), "abc");
    EXPECT_EQ(none.Replace("", "y"), 0) << "an empty pattern must not loop";

    Cstring removal("|PROGNAME| and |PROGNAME|");
    EXPECT_EQ(removal.Replace("|PROGNAME|", ""), 2);
    EXPECT_STREQ(removal.GetText(), " and ");

    // A pattern that points into the text itself, which the replacing
    // overwrites in place.
    Cstring self("abab-ab");
    EXPECT_EQ(self.Replace(self.GetText() + 5, "x"), 3);
    EXPECT_STREQ(self.GetText(), "xx-x");
}

TEST(Cstring, SplitKeepsEmptyPiecesAppendsAndStaysInsideTheText)
{
    auto split = [](const char* theText, char theDelimiter) {
        CStringArray pieces;
        pieces.Add("kept");
        Cstring(theText).Split(pieces, theDelimiter);
        return Bracketed(pieces);
    };
    EXPECT_EQ(split("a,,b", ','), "[kept][a][][b]");
    EXPECT_EQ(split("a,", ','), "[kept][a][]");
    EXPECT_EQ(split("", ','), "[kept]");
    EXPECT_EQ(split("a|b", 0), "[kept][a|b]") << "the text's own zero byte is no delimiter";

    // An element may split itself into its own array, which grows meanwhile.
    CStringArray self;
    self.Add("x,y");
    self.At(0).Split(self, ',');
    EXPECT_EQ(Bracketed(self), "[x,y][x][y]");
}

TEST(Cstring, SplitIntoManyPiecesIsLinear)
{
    // Growing the array piece by piece copied it for every piece: this split
    // took minutes. Now it is one allocation of the array.
    const int kPieces = 200000;
    std::string text;
    for (int i = 0; i < kPieces; ++i)
        text += std::to_string(i % 10) + ",";
    CStringArray pieces;
    Cstring(text.c_str()).Split(pieces, ',');
    ASSERT_EQ(pieces.GetCount(), kPieces + 1);
    EXPECT_STREQ(pieces.At(kPieces - 1).GetText(), "9");
    EXPECT_STREQ(pieces.At(kPieces).GetText(), "");
}

TEST(Cstring, TrimmingNeverRemovesTheFirstCharacter)
{
    const std::pair<const char*, const char*> cases[]
        = { { "xxx", "x" }, { "/", "/" }, { "/a/b//", "/a/b" }, { "", "" } };
    for (const auto& [text, trimmed] : cases) {
        Cstring s(text);
        s.TrimTrailing(text[0] == 'x' ? 'x' : '/');
        EXPECT_STREQ(s.GetText(), trimmed) << text;
    }
    Cstring padded(" \t value ");
    padded.TrimLeft();
    EXPECT_STREQ(padded.GetText(), "value ");
}

TEST(Cstring, CharAtAtTheEdges)
{
    Cstring abc("abc");
    EXPECT_EQ(*abc.CharAt(-1), 'c');
    EXPECT_EQ(*abc.CharAt(abc.Length() - 1), 'c');
    EXPECT_EQ(abc.CharAt(0), abc.GetText());
    // Past the room the index is pulled back inside the buffer.
    EXPECT_EQ(abc.CharAt(100000), abc.GetText() + abc.GetMaxLength() - 1);
    Cstring empty;
    EXPECT_EQ(empty.CharAt(-1), empty.GetText());
    EXPECT_EQ(*empty.CharAt(-1), 0);
}

TEST(Cstring, NoCaseComparisons)
{
    EXPECT_TRUE(EndsWithNoCase("Update.ZIP", ".zip"));
    EXPECT_TRUE(EndsWithNoCase(".zip", ".ZIP")) << "a text equal to the suffix ends with it";
    EXPECT_FALSE(EndsWithNoCase("zip", ".zip"));
    EXPECT_FALSE(EndsWithNoCase("", ".zip"));
    EXPECT_FALSE(EndsWithNoCase(nullptr, ".zip"));

    EXPECT_FALSE(StartsWithNoCase("abc", "ABC")) << "the text must be strictly longer";
    EXPECT_TRUE(StartsWithNoCase("abcd", "ABC"));
    EXPECT_FALSE(StartsWithNoCase("", ""));
    EXPECT_FALSE(StartsWithNoCase(nullptr, "a"));

    EXPECT_EQ(CompareNoCaseN("abc", "ABD", 2), 0);
    EXPECT_EQ(CompareNoCaseN("abc", "ABD", 3), -1);
    EXPECT_EQ(CompareNoCaseN("b", "A", 1), 1);
    EXPECT_TRUE(Cstring("Abc") != Cstring("abc")) << "string equality is exact";
}

TEST(Cstring, PathJoining)
{
    EXPECT_STREQ(Cstring::Path("/a/", "/b").GetText(), "/a/b");
    EXPECT_STREQ(Cstring::Path("/a", "b").GetText(), "/a/b");
    EXPECT_STREQ(Cstring::Path("/a", "//b").GetText(), "/a/b");
    EXPECT_STREQ(Cstring::Path("", "x").GetText(), "x");
    EXPECT_STREQ(Cstring::Path("", "/x").GetText(), "x");
    EXPECT_STREQ(Cstring::Path("/", "etc").GetText(), "/etc");
}

TEST(Cstring, SplitPathAsksTheFileSystemForFolders)
{
    TempFolder temp;
    const std::string file = temp.Write("sub/file.txt", "x");
    const std::string sub = (temp.Path() / "sub").string();
    const std::tuple<std::string, std::string, const char*> cases[] = {
        { file, sub + "/", "file.txt" },
        { sub, sub, "" }, // an existing folder is its own folder part
        { "missing-no-separator", "", "missing-no-separator" },
        { "/no/such/place/file", "/no/such/place/", "file" },
    };
    for (const auto& [path, folderPart, namePart] : cases) {
        Cstring folder("junk");
        Cstring name;
        Cstring::SplitPath(Cstring(path.c_str()), folder, name);
        EXPECT_EQ(std::string(folder.GetText()), folderPart) << path;
        EXPECT_STREQ(name.GetText(), namePart) << path;
    }
}

TEST(Cstring, NumberedTextsComeFromTheTextSource)
{
    CScopedTextSource source(&NumberedText);
    EXPECT_STREQ(Cstring(12).GetText(), "text 12");
    EXPECT_EQ(gFileAsked, nullptr) << "no file: the source searches every open one";
    int place = 0; // stands for a resource file: passed on, never looked into
    CResFile* const file = reinterpret_cast<CResFile*>(&place);
    EXPECT_STREQ(Cstring(13, file).GetText(), "text 13");
    EXPECT_EQ(gFileAsked, file);
    Cstring formatted;
    EXPECT_STREQ(formatted.Format(7, 3, "five"), "3 of five");

    CScopedTextSource none(nullptr);
    EXPECT_TRUE(Cstring(12).IsEmpty()) << "as while no resource file is open";
    EXPECT_STREQ(formatted.Format(7, 3, "five"), "");
}

TEST(CstringDeathTest, OperationsWithoutABufferAssert)
{
    EXPECT_DEATH(
        {
            Cstring s("x");
            s.Free();
            (void)s.Length();
        },
        "Cstring.cpp:[0-9]+: failed assertion `buff != NULL'");
    EXPECT_DEATH(
        {
            Cstring s;
            s.Free();
            (void)(s == Cstring("x"));
        },
        "failed assertion `buff != NULL'");
}
