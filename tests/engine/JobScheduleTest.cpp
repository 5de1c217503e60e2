#include "engine/JobSchedule.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

void QueueIn(CJobSchedule& theSchedule, const char* theFolder, int theCount)
{
    for (int i = 0; i < theCount; ++i)
        theSchedule.Queue(Cstring(theFolder));
}

} // namespace

TEST(JobSchedule, EachWorkerKeepsToAFolderOfItsOwnWhileThereIsOne)
{
    CJobSchedule schedule(16, 2);
    QueueIn(schedule, "a", 3);
    QueueIn(schedule, "b", 3);
    QueueIn(schedule, "c", 2);
    std::vector<uint64_t> taken;
    for (const int worker : { 0, 1, 0, 1, 0, 0, 1, 1 })
        taken.push_back(schedule.Take(worker));
    // Worker 0 finishes a and goes on to c, since worker 1 is in b.
    EXPECT_THAT(taken, ElementsAre(0, 3, 1, 4, 2, 6, 5, 7));
    EXPECT_FALSE(schedule.HasUntaken());

    // In one folder, or with every other folder busy, the first job left.
    CJobSchedule shared(16, 2);
    QueueIn(shared, "a", 4);
    EXPECT_EQ(shared.Take(0), 0u);
    EXPECT_EQ(shared.Take(1), 1u);
    EXPECT_EQ(shared.Take(0), 2u);

    // A worker that left holds its folder no longer.
    CJobSchedule left(16, 2);
    QueueIn(left, "a", 2);
    QueueIn(left, "b", 2);
    EXPECT_EQ(left.Take(1), 0u);
    left.Leave(1);
    EXPECT_EQ(left.Take(0), 1u);
}

TEST(JobSchedule, ASlotReusedAfterItsJobWasReportedHoldsTheNewJob)
{
    CJobSchedule schedule(4, 1);
    QueueIn(schedule, "a", 4);
    for (uint64_t number = 0; number < 4; ++number)
        EXPECT_EQ(schedule.Take(0), number);
    schedule.Reported(4);
    QueueIn(schedule, "b", 4);
    // Job 3's slot now holds job 7, untaken: it must not pass for job 3.
    for (uint64_t number = 4; number < 8; ++number)
        EXPECT_EQ(schedule.Take(0), number);
}

TEST(JobSchedule, TakingEveryJobLeftPassesOverTheJobsUnderWay)
{
    CJobSchedule schedule(8, 2);
    QueueIn(schedule, "a", 3);
    QueueIn(schedule, "b", 2);
    ASSERT_EQ(schedule.Take(0), 0u);
    ASSERT_EQ(schedule.Take(1), 3u);
    std::vector<uint64_t> left;
    schedule.TakeEveryJobLeft([&](uint64_t theNumber) { left.push_back(theNumber); });
    EXPECT_THAT(left, ElementsAre(1, 2, 4));
    EXPECT_FALSE(schedule.HasUntaken());
    EXPECT_TRUE(schedule.IsTaken(2));
}
