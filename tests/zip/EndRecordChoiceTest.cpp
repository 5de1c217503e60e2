#include "support/CraftedArchive.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"
#include "zip/ZipArchiveFile.h"

#include <algorithm>
#include <fstream>
#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// An archive cut into its parts: what lies before the directory, each
// directory record, and the end record.
struct Parts {
    std::string itsData;
    std::vector<std::string> itsRecords;
    std::string itsEnd;
};

Parts Split(const std::string& theBytes)
{
    Parts parts;
    const size_t directory = theBytes.find("PK\x01\x02");
    const size_t end = theBytes.rfind("PK\x05\x06");
    parts.itsData = theBytes.substr(0, directory);
    for (size_t at = directory; at < end;) {
        const size_t next = std::min(theBytes.find("PK\x01\x02", at + 4), end);
        parts.itsRecords.push_back(theBytes.substr(at, next - at));
        at = next;
    }
    parts.itsEnd = theBytes.substr(end);
    return parts;
}

using EndRecordChoice = CraftedArchives;

// Readers that look from the end of the file take the end record nearest
// the end; readers that check each record's directory may take another.
// When two records each lead to a directory, no choice is safe: the tools
// of whoever made the archive may list other files than we would install.
TEST_F(EndRecordChoice, TwoReadingsRefuseTheArchiveAsAmbiguous)
{
    // Entry 0 is one that only some tools list; entry 1 every tool lists.
    const Parts parts = Split(BuildZip({ { StoredEntry("NewFiles/hidden", "only some tools list this"),
                                             StoredEntry("NewFiles/listed", "listed") },
        "", false, "" }));
    const std::string& hidden = parts.itsRecords[0];
    const std::string& listed = parts.itsRecords[1];
    const uint64_t directory = parts.itsData.size();

    // In the comment of the last directory record: another directory and its
    // end record, whose own comment takes in the real end record.
    {
        std::string record = listed;
        const std::string comment = hidden + EndRecord(1, hidden.size(), directory + listed.size(), 22);
        record[32] = static_cast<char>(comment.size());
        record += comment;
        const std::string bytes = parts.itsData + record + EndRecord(1, record.size(), directory, 0);
        EXPECT_THAT(Read("end-record-in-a-record-comment.zip", bytes),
            ElementsAre(HasSubstr("open error 21: two end records could each be the archive's (at offsets "
                + std::to_string(directory + listed.size() + hidden.size()) + " and "
                + std::to_string(directory + record.size()) + ")")));
    }
    // In the end record's comment: another directory and its end record.
    {
        const uint64_t commentAt = directory + listed.size() + 22;
        const std::string comment = hidden + EndRecord(1, hidden.size(), commentAt, 0);
        const std::string bytes
            = parts.itsData + listed + EndRecord(1, listed.size(), directory, comment.size()) + comment;
        EXPECT_THAT(Read("directory-in-the-end-comment.zip", bytes),
            ElementsAre(HasSubstr("open error 21: two end records could each be the archive's")));
    }
    // Another archive after this one: tools that take the last end record
    // read it, as an archive behind bytes of their own.
    {
        const std::string first = BuildZip({ { StoredEntry("NewFiles/listed", "listed") }, "", false, "" });
        const std::string second
            = BuildZip({ { StoredEntry("NewFiles/hidden", "appended") }, "", false, "" });
        EXPECT_THAT(Read("archive-appended.zip", first + second),
            ElementsAre(HasSubstr("open error 21: two end records could each be the archive's")));
    }
}

// Padding after the archive is read by nobody; an end record there is the
// first that tools looking from the end meet, and it leads nowhere for them.
TEST_F(EndRecordChoice, EndRecordInThePaddingRefusesTheArchive)
{
    const std::string archive = BuildZip({ { StoredEntry("NewFiles/a", "alpha") }, "", false, "" });
    const std::string padding = std::string(100, '\0') + "PK\x05\x06" + std::string(18, 'x');
    EXPECT_THAT(Read("end-record-in-the-padding.zip", archive + padding),
        ElementsAre("open error 21: bytes after the end record at offset "
            + std::to_string(archive.size() - 22) + " hold another (at offset "
            + std::to_string(archive.size() + 100) + ")"));
}

TEST_F(EndRecordChoice, Zip64EndRecordMustAgreeWithTheEndRecord)
{
    ZipRecipe recipe { {}, "", true, "" };
    for (const char* name : { "NewFiles/a", "NewFiles/b", "NewFiles/c" })
        recipe.itsEntries.push_back(StoredEntry(name, name));
    const std::string good = BuildZip(recipe);
    const size_t end = good.size() - 22;
    const auto patched = [&](size_t theAt, size_t theLength, uint32_t theValue) {
        std::string bytes = good;
        theLength == 2 ? Patch16(bytes, end + theAt, theValue) : Patch32(bytes, end + theAt, theValue);
        return bytes;
    };
    // Where a 32-bit field holds a value rather than its marker, other tools
    // take that value over the zip64 record's.
    const struct {
        const char* itsName;
        std::string itsBytes;
        const char* itsResult;
    } cases[] = {
        { "zip64-agrees", patched(8, 4, 0x00030003u), nullptr }, // both counts
        { "zip64-count-differs", patched(10, 2, 2), "disagree on the directory's entry count" },
        { "zip64-size-differs", patched(12, 4, 46), "disagree on the directory's size" },
        { "zip64-offset-differs", patched(16, 4, 0), "disagree on the directory's offset" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.itsName);
        const std::vector<std::string> reading = Read(std::string(test.itsName) + ".zip", test.itsBytes);
        if (test.itsResult)
            EXPECT_THAT(reading, ElementsAre(HasSubstr(test.itsResult)));
        else
            EXPECT_THAT(reading,
                ElementsAre("NewFiles/a=NewFiles/a", "NewFiles/b=NewFiles/b", "NewFiles/c=NewFiles/c"));
    }
}

// Bytes this process has read from files so far, or -1 when the kernel does
// not count them.
long long BytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = -1;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// End records nested in each other's comments, each leading to the same
// large directory: whichever is chosen, the directory is walked once.
TEST_F(EndRecordChoice, ManyEndRecordsCostOneWalkOfTheDirectory)
{
    std::vector<RawZipEntry> entries(3000);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].itsName = "NewFiles/" + std::to_string(1000000 + i) + "/file.txt";
    const Parts parts = Split(RawZip(entries));
    std::string directory;
    for (const std::string& record : parts.itsRecords)
        directory += record;
    // Each record's comment runs to the end of the file and holds the next
    // one; each counts one entry too many, so that no directory checks out.
    constexpr size_t kRecords = 2900;
    std::string tail;
    for (size_t i = kRecords; i-- > 0;)
        tail = EndRecord(entries.size() + 1, directory.size(), parts.itsData.size(), tail.size()) + tail;
    const std::string path
        = WriteCraftedArchive(itsTemp, "many-end-records.zip", parts.itsData + directory + tail);
    const long long before = BytesRead();
    if (before < 0)
        GTEST_SKIP() << "/proc/self/io does not count the bytes read";
    CZipArchiveFile archive;
    EXPECT_NE(archive.Open(path.c_str()), 0);
    const long long read = BytesRead() - before;
    EXPECT_LT(read, static_cast<long long>(2 * directory.size() + 2 * tail.size())) << archive.GetFailure();
}

// Entries stored as given, laid out by hand so that their data may overlap.
struct PlacedEntry {
    std::string itsName;
    std::string itsStored; // what the entry's data is, once the file is laid out
    uint64_t itsOffset = 0;
};

// The entry's local header (with room declared for theExtraLength bytes of
// extra field) or its directory record, as the recipe writes a stored entry.
std::string Header(bool bCentral, const PlacedEntry& theEntry, size_t theExtraLength = 0)
{
    const std::string zip
        = BuildZip({ { StoredEntry(theEntry.itsName, theEntry.itsStored) }, "", false, "" });
    const size_t local = 30 + theEntry.itsName.size();
    std::string header
        = bCentral ? zip.substr(local + theEntry.itsStored.size(), 16 + local) : zip.substr(0, local);
    Patch16(header, bCentral ? 30 : 28, static_cast<uint32_t>(theExtraLength));
    if (bCentral)
        Patch32(header, 42, static_cast<uint32_t>(theEntry.itsOffset));
    return header;
}

// theData holds the entries' local headers and data; the directory lists
// theEntries in the order given.
std::string WithDirectory(const std::string& theData, const std::vector<PlacedEntry>& theEntries)
{
    std::string directory;
    for (const PlacedEntry& entry : theEntries)
        directory += Header(true, entry);
    return theData + directory + EndRecord(theEntries.size(), directory.size(), theData.size(), 0);
}

// Each entry's data is the next entry whole, local header and all: a few
// hundred bytes that declare far more.
std::vector<PlacedEntry> Nested(size_t theCount, std::string& theData)
{
    std::vector<PlacedEntry> entries(theCount);
    std::string inner = "the innermost data";
    for (size_t i = theCount; i-- > 0;) {
        entries[i].itsName = "NewFiles/" + std::to_string(i);
        entries[i].itsStored = inner;
        inner = Header(false, entries[i]) + inner;
    }
    for (size_t i = 1; i < theCount; ++i)
        entries[i].itsOffset = entries[i - 1].itsOffset + Header(false, entries[i - 1]).size();
    theData = inner;
    return entries;
}

using OverlappingEntries = CraftedArchives;

TEST_F(OverlappingEntries, NestedEntriesAreRefusedBeforeAnyIsRead)
{
    std::string data;
    std::vector<PlacedEntry> entries = Nested(50, data);
    const std::string refusal = "open error 21: the data of entry NewFiles/0 runs into entry NewFiles/1 "
                                "(local headers at offsets 0 and 40)";
    EXPECT_THAT(Read("nested.zip", WithDirectory(data, entries)), ElementsAre(refusal));
    // A directory in another order than the data is checked as a whole.
    std::reverse(entries.begin(), entries.end());
    EXPECT_THAT(Read("nested-reversed.zip", WithDirectory(data, entries)), ElementsAre(refusal));
    // Two entries of one local header overlap as much as entries can.
    const std::vector<PlacedEntry> twice = { entries.back(), entries.back() };
    EXPECT_THAT(Read("one-header-twice.zip", WithDirectory(data, twice)),
        ElementsAre(HasSubstr("runs into entry NewFiles/0 (local headers at offsets 0 and 0)")));
}

// The directory tells where an entry's local header starts, and how long its
// name and data are, but not its local extra field: with a long one, the data
// reaches into the next entry, found only once the entry is opened.
TEST_F(OverlappingEntries, LocalExtraFieldThatReachesIntoTheNextEntry)
{
    PlacedEntry second { "NewFiles/b", "bee", 60 };
    std::string data(60, '\0');
    data += Header(false, second) + second.itsStored;
    // The first entry's header: 30 bytes and its name, then an extra field
    // of 24 bytes that covers the second's local header from offset 60 on,
    // then 10 bytes of data inside that header.
    PlacedEntry first { "NewFiles/a", data.substr(64, 10), 0 };
    std::string header = Header(false, first, 24);
    Put16(header, 0xCAFE);
    Put16(header, 20);
    data.replace(0, header.size(), header);

    const std::string refusal
        = "NewFiles/a=error 21: the data runs into the next entry's local header at offset "
          "60 (entry NewFiles/a, local header at offset 0)";
    EXPECT_THAT(Read("extra-field-overlap.zip", WithDirectory(data, { first, second })),
        ElementsAre(refusal, "NewFiles/b=bee"));
    // A directory in another order than the data reads as well.
    EXPECT_THAT(Read("extra-field-overlap-reversed.zip", WithDirectory(data, { second, first })),
        ElementsAre("NewFiles/b=bee", refusal));
}

} // namespace
