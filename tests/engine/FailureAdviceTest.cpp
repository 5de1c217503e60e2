#include "engine/FailureAdvice.h"

#include <gtest/gtest.h>

namespace {

// The failed page tells the user what an archive's failure means for them:
// a key that does not fit is a kit made for another program, anything else
// the archive does is a damaged kit to get again; other failures say what
// to do themselves.
TEST(FailureAdvice, WrongKeyDamagedKitOrNothing)
{
    const char* const kWrongKey
        = "The update kit's archive does not open with this program's key: the kit was "
          "not made for this program. Get the update kit that was made for it.";
    const char* const kDamaged
        = "The update kit's archive is damaged or incomplete. Get the update kit again, "
          "and start the update from the new copy.";
    const struct {
        const char* itsMessage;
        const char* itsAdvice;
    } cases[] = {
        { "Unable to open compressed file (27): the password does not open the entry", kWrongKey },
        { "Unable to open compressed file (26): the entry is encrypted and no password was given",
            kWrongKey },
        { "Unable to open compressed file (21): the local header's name differs from the directory's",
            kDamaged },
        { "Decompress Error (7): the data's CRC-32 is 00000001, the directory's 00000000", kDamaged },
        { "Decompress Error (13)", kDamaged },
        { "Failed to close compressed file (21)", kDamaged },
        { "Unable to get compressed file info (19)", kDamaged },
        { "Error opening compressed file container: two end records could each be the archive's", kDamaged },
        { "Unsafe file name in archive: ../x", "" },
        { "Not enough room on the disk for the update: it needs 10 bytes, 5 are free in /x", "" },
        { "Extract Aborted", "" },
    };
    for (const auto& test : cases)
        EXPECT_STREQ(FailureAdvice(test.itsMessage).GetText(), test.itsAdvice) << test.itsMessage;
}

} // namespace
