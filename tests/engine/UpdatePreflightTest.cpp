// The check before the run on archives made field by field: sizes that no
// file system holds and sums that would wrap. Folders alone are HostileCorpus's.

#include "engine/UpdatePreflight.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"
#include "support/ZipRecipe.h"

#include <gmock/gmock.h>

#include <cstdint>
#include <filesystem>

using ::testing::MatchesRegex;
using ::testing::StartsWith;

namespace {

const char kProgram[] = "NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell 5";

class UpdatePreflight : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(Target()); }

    std::string Target() const { return itsTemp / "target"; }

    // An entry that claims theSize bytes; deflated, so that the few bytes it
    // holds can stand for any size.
    static ZipRecipeEntry Claiming(const std::string& theName, uint64_t theSize)
    {
        ZipRecipeEntry entry = StoredEntry(theName, "");
        entry.itsMethod = 8;
        entry.bZip64 = true;
        entry.itsSizeDamage = static_cast<int64_t>(theSize);
        return entry;
    }

    // The check on an archive of theEntries; false when refused, which the
    // log tells after the opening, as the run would have logged it.
    bool Check(const std::vector<ZipRecipeEntry>& theEntries)
    {
        itsArchive = itsTemp.Write("update.zip", BuildZip(ZipRecipe { theEntries, "", true, "" }));
        TraceCapture log;
        Cstring message;
        const bool bPassed = PreflightUpdate(itsArchive.c_str(), "", Target().c_str(), message, log.Stream());
        itsMessage = message.GetText();
        EXPECT_EQ(log.Text(),
            bPassed ? ""
                    : "Opening update zip file - " + itsArchive + " succeeded\nExtractFiles failed - "
                    + itsMessage + "\n");
        return bPassed;
    }

    TempFolder itsTemp;
    std::string itsArchive;
    std::string itsMessage;
};

} // namespace

TEST_F(UpdatePreflight, SizesNoFileCanHoldAreRefusedByEntryAndSumsPastTwoToTheSixtyFourFindNoRoom)
{
    const std::string huge = "NewFiles/Help/huge.bin";
    for (const uint64_t size : { UINT64_MAX, UINT64_MAX - 4095, uint64_t { INT64_MAX } + 1 }) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(Check({ StoredEntry(kProgram, "program"), Claiming(huge, size) }));
        EXPECT_EQ(itsMessage,
            "File too large in archive: " + huge + " holds " + std::to_string(size)
                + " bytes, more than a file can hold in " + Target());
    }

    // Each fits a file; together their blocks wrap a 64-bit byte count, for
    // which room is never found.
    std::vector<ZipRecipeEntry> entries { StoredEntry(kProgram, "program") };
    for (const char* name : { "NewFiles/a.bin", "NewFiles/b.bin", "NewFiles/c.bin" })
        entries.push_back(Claiming(name, INT64_MAX));
    EXPECT_FALSE(Check(entries));
    EXPECT_THAT(itsMessage,
        StartsWith(
            "Not enough room on the disk for the update: it needs more than 18446744073709551615 bytes, "));

    EXPECT_FALSE(Check({ StoredEntry(kProgram, "program"), Claiming("NewFiles/a.bin", INT64_MAX) }));
    EXPECT_THAT(itsMessage,
        MatchesRegex(
            "Not enough room on the disk for the update: it needs [0-9]{19} bytes, [0-9]+ are free in .*"));
}
