#include "engine/ExtractionFixture.h"

#include <gmock/gmock.h>
#include <random>

using ::testing::ElementsAre;

namespace {

// Reading ahead on a second thread must not change anything that can be
// seen: the same files, log, texts, progress and failures as reading the
// entries on the caller's thread.
class ReadAhead : public ExtractionTest {
protected:
    struct Outcome {
        int itsResult;
        std::string itsError;
        std::string itsLog;
        std::vector<std::string> itsShown;
        std::vector<std::string> itsTree;
        std::string itsContents;
    };

    Outcome Run(const std::string& theArchive, bool bAhead)
    {
        std::filesystem::remove_all(itsDestination);
        itsTemp.Write("dest/b.dat", "previous");
        bReadAhead = bAhead;
        bWithWindow = true;
        itsWindow.itsCalls.clear();
        gAbortUpdate = 0;
        const int result = Extract(theArchive);
        return { result, itsError, itsLog, itsWindow.itsCalls, ListTree(itsDestination),
            ReadWholeFile(itsDestination + "/b.dat") };
    }

    void ExpectSameBothWays(const std::string& theArchive)
    {
        const Outcome ahead = Run(theArchive, true);
        const Outcome direct = Run(theArchive, false);
        EXPECT_EQ(ahead.itsResult, direct.itsResult);
        EXPECT_EQ(ahead.itsError, direct.itsError);
        EXPECT_EQ(ahead.itsLog, direct.itsLog);
        EXPECT_EQ(ahead.itsShown, direct.itsShown);
        EXPECT_EQ(ahead.itsTree, direct.itsTree);
        EXPECT_EQ(ahead.itsContents, direct.itsContents);
    }

    static std::string Bytes(size_t theCount, unsigned theSeed)
    {
        std::mt19937 generator(theSeed);
        std::string bytes(theCount, 0);
        for (char& byte : bytes)
            byte = static_cast<char>(generator());
        return bytes;
    }

    void SetUp() override
    {
        ExtractionTest::SetUp();
        itsPassword = "";
    }
};

TEST_F(ReadAhead, ManyEntriesLargerThanItsBuffer)
{
    std::vector<RawZipEntry> entries = { { "NewFiles/", "" }, { "NewFiles/b.dat", Bytes(3 << 20, 1) } };
    for (int i = 0; i < 200; ++i)
        entries.push_back({ "NewFiles/small/" + std::to_string(i), Bytes(static_cast<size_t>(i * 97), i) });
    ExpectSameBothWays(WriteArchive(RawZip(entries)));
    EXPECT_EQ(Run(WriteArchive(RawZip(entries)), true).itsContents, entries[1].itsData);
}

TEST_F(ReadAhead, FailureInTheMiddle)
{
    ExpectSameBothWays(WriteArchive(RawZip({ { "NewFiles/a.dat", Bytes(100000, 2) },
        { "NewFiles/b.dat", Bytes(100000, 3), true }, { "NewFiles/c.dat", "c" } })));
}

TEST_F(ReadAhead, AbortLeavesTheWorkerAtOnce)
{
    const std::string archive = WriteArchive(RawZip({ { "NewFiles/a.dat", "a" },
        { "NewFiles/b.dat", Bytes(8 << 20, 4) }, { "NewFiles/c.dat", Bytes(8 << 20, 5) } }));
    int polls = 0;
    itsHost.itsCancelPoll = [&] { return ++polls == 4; };
    itsHost.itsAlertAnswer = [](const CAlert&) { return static_cast<int>(kResultYes); };
    const Outcome outcome = Run(archive, true);
    EXPECT_EQ(outcome.itsResult, 0);
    EXPECT_EQ(outcome.itsError, "Extract Aborted");
    EXPECT_THAT(outcome.itsTree, ElementsAre("a.dat", "b.dat"));
    EXPECT_EQ(outcome.itsContents, "previous");
}

} // namespace
