#include "engine/ExtractionWorkers.h"
#include "engine/ExtractionFixture.h"
#include "support/ZipRecipe.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <unistd.h>

using ::testing::ElementsAre;

namespace {

// Worker threads, which extract into a staging folder, change nothing but the
// pace of the progress bar, and neither does running their steps on the
// caller's thread when no worker thread can be had.
class ExtractionWorkers : public ExtractionTest {
protected:
    struct Outcome {
        int itsResult;
        std::string itsError;
        std::string itsLog;
        std::vector<std::string> itsCounter;
        std::vector<std::string> itsNames;
        std::string itsLastPercent;
        std::vector<std::string> itsTree;
    };

    Outcome Run(const std::string& theArchive, bool bWorkers, int theThreads = -1)
    {
        std::filesystem::remove_all(itsDestination);
        bReadAhead = bWorkers;
        itsWorkerThreads = theThreads;
        bStaging = true;
        bWithWindow = true;
        itsWindow.itsCalls.clear();
        gAbortUpdate = 0;
        const int result = Extract(theArchive);
        const std::vector<std::string> percents = itsWindow.TextsOf(125);
        return { result, itsError, itsLog, itsWindow.TextsOf(143), itsWindow.TextsOf(178),
            percents.empty() ? "" : percents.back(), ListTree(itsDestination) };
    }

    void ExpectSameBothWays(const std::string& theArchive)
    {
        const Outcome here = Run(theArchive, false);
        for (const int threads : { -1, 0 }) {
            SCOPED_TRACE(threads == 0 ? "no worker thread" : "worker threads");
            const Outcome workers = Run(theArchive, true, threads);
            EXPECT_EQ(workers.itsResult, here.itsResult);
            EXPECT_EQ(workers.itsError, here.itsError);
            EXPECT_EQ(workers.itsLog, here.itsLog);
            EXPECT_EQ(workers.itsCounter, here.itsCounter);
            EXPECT_EQ(workers.itsNames, here.itsNames);
            EXPECT_EQ(workers.itsLastPercent, here.itsLastPercent);
            if (here.itsResult) {
                EXPECT_EQ(workers.itsTree, here.itsTree);
            }
        }
    }
};

TEST_F(ExtractionWorkers, ManyEntriesOfEverySize)
{
    std::vector<RawZipEntry> entries
        = { { "NewFiles/", "" }, { "NewFiles/b.dat", RandomBytes(3 << 20, 1, 16) },
              { "NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell 5", RandomBytes(70000, 9, 16) } };
    // More entries than the workers may have under way, in folders of many
    // entries each, so that the workers take them out of order.
    for (int i = 0; i < 1200; ++i)
        entries.push_back({ "NewFiles/small/" + std::to_string(i / 150) + "/" + std::to_string(i),
            RandomBytes(static_cast<size_t>(i % 200 * 97), i, 16) });
    const std::string archive = WriteArchive(RawZip(entries));
    ExpectSameBothWays(archive);

    Run(archive, true);
    EXPECT_EQ(ReadWholeFile(itsDestination + "/b.dat"), entries[1].itsData);
    EXPECT_EQ(ReadWholeFile(itsDestination + "/small/7/1199"), entries.back().itsData);
    struct stat info;
    ASSERT_EQ(stat((itsDestination + "/Patchwell 5.app/Contents/MacOS/Patchwell 5").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(ExtractionWorkers, FailuresReportedInOrder)
{
    // A damaged entry between good ones: the log stops at it, whatever the
    // workers did after it.
    std::vector<RawZipEntry> entries = { { "NewFiles/a.dat", RandomBytes(100000, 2, 16) },
        { "NewFiles/b.dat", RandomBytes(100000, 3, 16), true } };
    for (int i = 0; i < 60; ++i)
        entries.push_back({ "NewFiles/c" + std::to_string(i), "c" });
    ExpectSameBothWays(WriteArchive(RawZip(entries)));
    EXPECT_EQ(Run(WriteArchive(RawZip(entries)), true).itsResult, 0);
}

TEST_F(ExtractionWorkers, AbortStopsTheWorkersAtOnce)
{
    const std::string archive
        = WriteArchive(RawZip({ { "NewFiles/a.dat", "a" }, { "NewFiles/b.dat", RandomBytes(8 << 20, 4, 16) },
                                  { "NewFiles/c.dat", RandomBytes(8 << 20, 5, 16) } },
            KeyText()));
    // The second poll comes as b's turn begins, long before its 8 MB are done.
    int polls = 0;
    itsHost.itsCancelPoll = [&] { return ++polls == 2; };
    itsHost.itsAlertAnswer = [](const CAlert&) { return static_cast<int>(kResultYes); };
    const Outcome outcome = Run(archive, true);
    EXPECT_EQ(outcome.itsResult, 0);
    EXPECT_EQ(outcome.itsError, "Extract Aborted");
    EXPECT_THAT(outcome.itsLog, ::testing::EndsWith("ExtractFiles aborted\n"));
    // Neither large file was finished: their workers left them.
    EXPECT_THAT(outcome.itsTree, ElementsAre("a.dat"));
}

// Workers read an entry (its date too, for a password checked by the time)
// while the caller copies it: nothing may write into an entry once the
// directory's walk has filled it in. Only a ThreadSanitizer build sees it.
TEST(SharedEntry, WorkersReadWhileTheCallerCopies)
{
    constexpr int kEntries = 64;
    ZipRecipe recipe { {}, KeyText(), false, "" };
    for (int i = 0; i < kEntries; ++i) {
        ZipRecipeEntry entry
            = StoredEntry("f" + std::to_string(i), std::string(100 + static_cast<size_t>(i), 'x'));
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
