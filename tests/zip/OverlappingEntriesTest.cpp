#include "support/CraftedArchive.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"

#include <algorithm>
#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

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
    EXPECT_THAT(Read("extra-field-overlap-reversed.zip", WithDirectory(data, { second, first })),
        ElementsAre("NewFiles/b=bee", refusal));
}

TEST_F(OverlappingEntries, DirectoryInAnotherOrderThanTheDataIsRead)
{
    PlacedEntry a { "NewFiles/a", "alpha", 0 };
    PlacedEntry b { "NewFiles/b", "beta", 0 };
    PlacedEntry c { "NewFiles/c", "gamma", 0 };
    std::string data = Header(false, a) + a.itsStored;
    b.itsOffset = data.size();
    data += Header(false, b) + b.itsStored;
    c.itsOffset = data.size();
    data += Header(false, c) + c.itsStored;
    EXPECT_THAT(Read("directory-order.zip", WithDirectory(data, { c, a, b })),
        ElementsAre("NewFiles/c=gamma", "NewFiles/a=alpha", "NewFiles/b=beta"));
}

} // namespace
