#include "engine/ExtractionWorkers.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Workers read an entry (its date too, to check a password by the time)
// while the caller copies the same entry to report it: nothing may write
// into an entry once the directory's walk has filled it in. Only a
// ThreadSanitizer build (./test.sh runs one) sees it when something does.
TEST(SharedEntry, WorkersReadWhileTheCallerCopies)
{
    constexpr int kEntries = 64;
    ZipRecipe recipe { {}, KeyText(), false, "" };
    for (int i = 0; i < kEntries; ++i) {
        ZipRecipeEntry entry;
        entry.itsName = "f" + std::to_string(i);
        entry.itsData = std::string(100 + static_cast<size_t>(i), 'x');
        entry.bEncrypted = true;
        entry.bDescriptor = true; // the password is checked by the time
        entry.itsDosTime = static_cast<uint16_t>((i % 24) << 11); // a date of its own
        recipe.itsEntries.push_back(entry);
    }
    TempFolder temp;
    const std::string path = temp.Write("a.zip", BuildZip(recipe));
    std::filesystem::create_directory(temp / "out");
    const int root = open((temp / "out").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_NE(root, -1);
    CZipArchiveFile archive;
    ASSERT_EQ(archive.Open(path.c_str()), 0);
    CZipDirectoryCursor cursor(archive);
    {
        CExtractionWorkers workers(archive, Cstring(KeyText().c_str()), root);
        // Unlike the extractor's, this placer leaves the date to the workers.
        ASSERT_TRUE(workers.Start(2, cursor,
            [](CExtractionWorkers::Job& theJob) { theJob.itsName = theJob.itsEntry.itsName.c_str(); }));
        int error = 0;
        int done = 0;
        while (const CExtractionWorkers::Job* job = workers.Next(error)) {
            const CZipEntry copy = job->itsEntry;
            workers.Wait(*job, [](uint64_t) {});
            EXPECT_EQ(job->itsOutcome.itsOpenError, 0) << copy.itsName;
            ++done;
        }
        EXPECT_EQ(error, 0);
        EXPECT_EQ(done, kEntries);
    }
    close(root);
}

} // namespace
