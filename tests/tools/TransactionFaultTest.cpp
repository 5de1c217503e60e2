// The updater killed before each system call of a run, its rollback and the
// next start's recovery, or failed where a clean-up fails: the start after it
// shows exactly the old build or the new one and nothing of the run's. And
// the races: two updaters on one folder, a staging folder swapped for a link.

#include "KitFixture.h"
#include "engine/BuildCheck.h"
#include "engine/FolderLock.h"
#include "engine/UpdateRun.h"
#include "identification/DataKey.h"
#include "identification/ProgramList.h"
#include "support/DemoBuild.h"
#include "support/ScriptedObserver.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char kLog[] = "Updater Log File.txt";

class KitRun : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        ASSERT_EQ(Pack(BothBuilds()).status, 0);
        itsOld = SnapshotTree(itsTemp.Path() / "builds/5.0.1/Patchwell 5");
        itsNew = SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5");
    }

    // The updater with theArguments, its fault points planned by thePlan
    // ("kill=N", "fail=N,kill=M"); the points it reaches are written to the
    // trace file.
    ProgramRun Faulted(const std::string& theArguments, const std::string& thePlan)
    {
        fs::remove(Trace());
        return RunProgram("PW_FAULTS=" + thePlan + " PW_FAULT_TRACE=" + ShellQuote(Trace()) + " "
            + UpdaterCommand(theArguments));
    }
    ProgramRun ApplyWith(const std::string& thePlan)
    {
        return Faulted("--apply " + ShellQuote(Installed()), thePlan);
    }

    std::string Trace() const { return itsTemp / "trace"; }
    // The names of the points the last run reached, the first at index 0.
    std::vector<std::string> TracedPoints() const
    {
        std::vector<std::string> points;
        std::ifstream trace(Trace());
        std::string line;
        while (std::getline(trace, line))
            points.push_back(line.substr(line.find(' ') + 1));
        return points;
    }
    // The next start, then the build it shows: 'o' for the old, 'n' for the new.
    char NextStart()
    {
        const ProgramRun start = Updater("--list");
        itsStartSaid = start.output;
        EXPECT_EQ(start.status, 0) << start.output;
        const TreeSnapshot now = Installation(true);
        if (now == itsOld)
            return 'o';
        if (now == itsNew)
            return 'n';
        ADD_FAILURE() << "neither build after the next start:\n" << start.output << Log();
        return '?';
    }

    TreeSnapshot itsOld;
    TreeSnapshot itsNew;
    std::string itsStartSaid; // by the last NextStart
};

// The cases that stop a run at its points, which are those of a whole run
// that succeeds; a build without them skips these cases.
class FaultedRun : public KitRun {
protected:
    void SetUp() override
    {
        KitRun::SetUp();
        Reinstall();
        const ProgramRun run = ApplyWith("");
        ASSERT_EQ(run.status, 0) << run.output;
        itsPoints = TracedPoints();
        if (itsPoints.empty())
            GTEST_SKIP() << "the updater was built without fault points (PW_FAULT_POINTS)";
    }

    // The number of the first point at or after theFrom called theName, or 0.
    size_t FindPoint(const std::string& theName, size_t theFrom = 1) const
    {
        for (size_t point = theFrom; point <= itsPoints.size(); ++point)
            if (itsPoints[point - 1] == theName)
                return point;
        return 0;
    }

    std::vector<std::string> itsPoints;
};

// The races need no fault points.
using RacingRun = KitRun;

TEST_F(FaultedRun, AKillAtAnyCallOfARunLeavesTheOldBuildOrTheNew)
{
    ASSERT_GT(FindPoint("syncfs"), 0u);
    ASSERT_GT(FindPoint("remove"), FindPoint("syncfs"));
    std::string outcomes;
    for (size_t point = 1; point <= itsPoints.size(); ++point) {
        SCOPED_TRACE("killed at " + std::to_string(point) + " " + itsPoints[point - 1]);
        Reinstall();
        ASSERT_EQ(ApplyWith("kill=" + std::to_string(point)).status, 128 + SIGKILL);
        const bool bJournal = fs::exists(Installed() / ".pwupdate-journal");
        outcomes += NextStart();
        // A start that finds a journal says, and logs, what it made of it.
        if (bJournal) {
            const bool bKept = outcomes.back() == 'n';
            EXPECT_NE(itsStartSaid.find(bKept ? "; it was kept." : "; the previous version was restored."),
                std::string::npos)
                << itsStartSaid;
            EXPECT_NE(Log().find(bKept ? "The update had been completed and is kept\n"
                                       : "The previous version was restored\n"),
                std::string::npos)
                << Log();
        }
    }
    // Until the commit's record is written the old build is back; from then on the new stays.
    const size_t committed = FindPoint("write journal", FindPoint("syncfs"));
    EXPECT_EQ(outcomes, std::string(committed, 'o') + std::string(itsPoints.size() - committed, 'n'));
}

// Ctrl-C, or a service manager's SIGTERM, with no terminal to ask on: the
// run stops without a question, the copy is as it was, and the status is
// that of a program the signal ended.
TEST_F(FaultedRun, ASignalWithoutATerminalCancelsTheRun)
{
    const struct {
        std::string plan;
        int status;
        std::string said;
    } cases[] = {
        { "int=" + std::to_string(FindPoint("make staging folder")), 128 + SIGINT,
            "Cancelled; nothing was changed.\n" },
        { "term=" + std::to_string(FindPoint("rename")), 128 + SIGTERM,
            "Cancelled; the previous version was restored.\n" },
    };
    for (const auto& [plan, status, said] : cases) {
        SCOPED_TRACE(plan);
        Reinstall();
        const ProgramRun run = Faulted("--apply " + ShellQuote(Installed()) + " </dev/null", plan);
        EXPECT_TRUE(Ran(run, status, said + "Log: " + (Installed() / kLog).string() + "\n"));
        EXPECT_EQ(run.output.find("Are you sure"), std::string::npos) << run.output;
        EXPECT_EQ(Installation(true), itsOld) << Log();
    }
}

// A run that fails at its commit rolls back; killed at any call of that
// rollback, the next start finishes it, and a start killed while it does so
// leaves the work to the one after.
TEST_F(FaultedRun, AKillDuringARollbackOrItsRecoveryLosesNothing)
{
    const std::string failAt = std::to_string(FindPoint("syncfs"));
    Reinstall();
    const ProgramRun failed = ApplyWith("fail=" + failAt);
    EXPECT_EQ(failed.status, 1) << failed.output;
    EXPECT_EQ(Installation(true), itsOld);
    EXPECT_EQ(Log().find("timestamp set to"), std::string::npos) << "the new bundle never got in place";
    const std::vector<std::string> rollback = TracedPoints();
    const size_t first = std::stoul(failAt) + 1;
    ASSERT_GT(rollback.size(), first);
    for (size_t point = first; point <= rollback.size(); ++point) {
        SCOPED_TRACE("killed at " + std::to_string(point) + " " + rollback[point - 1]);
        Reinstall();
        ASSERT_EQ(ApplyWith("fail=" + failAt + ",kill=" + std::to_string(point)).status, 128 + SIGKILL);
        const ProgramRun recovered = Faulted("--list", "");
        EXPECT_EQ(NextStart(), 'o') << recovered.output;
        if (point % 4 != first % 4)
            continue; // every fourth is enough to reach each kind of call
        // The recovery itself is killed at each of its calls in turn, until
        // one gets through. How many it makes depends on the order in which
        // the folder lists what the killed rollback left, which differs from
        // run to run.
        for (size_t again = 1;; ++again) {
            SCOPED_TRACE("recovery killed at " + std::to_string(again));
            Reinstall();
            ASSERT_EQ(ApplyWith("fail=" + failAt + ",kill=" + std::to_string(point)).status, 128 + SIGKILL);
            const int status = Faulted("--list", "kill=" + std::to_string(again)).status;
            EXPECT_EQ(NextStart(), 'o');
            if (status == 0)
                break;
            ASSERT_EQ(status, 128 + SIGKILL);
            ASSERT_LT(again, 1000u) << "a recovery that never ends";
        }
    }
}

// The update is in place when the clean-up after it fails: the run says so
// in its log and the next start clears what is left.
TEST_F(FaultedRun, ACleanUpThatFailsAfterTheCommitIsFinishedByTheNextStart)
{
    const size_t removal = FindPoint("remove", FindPoint("syncfs"));
    Reinstall();
    const ProgramRun run = ApplyWith("fail=" + std::to_string(removal));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(Installed() / ".pwupdate-stage"));
    EXPECT_NE(Log().find("Unable to remove " + (Installed() / ".pwupdate-stage").string()), std::string::npos)
        << Log();
    EXPECT_EQ(NextStart(), 'n');
}

// An --apply after a killed run finishes that run first and keeps its lines
// in the new log, before its own.
TEST_F(FaultedRun, ARunAfterAKillKeepsTheRecoveryInItsLog)
{
    const std::string renameAt = std::to_string(FindPoint("rename"));
    Reinstall();
    ASSERT_EQ(ApplyWith("kill=" + renameAt).status, 128 + SIGKILL);
    const ProgramRun again = ApplyWith("");
    EXPECT_EQ(again.status, 0) << again.output;
    const std::string log = Log();
    const size_t found = log.find("Found the journal of an interrupted update in " + Installed().string());
    const size_t opened = log.find("Opening update zip file", found);
    EXPECT_NE(found, std::string::npos) << log;
    EXPECT_NE(opened, std::string::npos) << log;
    EXPECT_NE(log.find("timestamp set to"), std::string::npos) << log;
    EXPECT_EQ(Installation(true), itsNew);
}

// While one updater holds the folder, a second changes nothing there, not
// even the log, and says who holds it; a start meanwhile leaves the first
// run's journal alone.
TEST_F(RacingRun, ASecondUpdaterOfTheSameFolderChangesNothing)
{
    itsTemp.Write("Applications/Patchwell 5/" + std::string(kLog), "the first run's log\n");
    itsTemp.Write("Applications/Patchwell 5/.pwupdate-journal", "Patchwell updater journal 1\n");
    const TreeSnapshot before = SnapshotTree(Installed());
    const int folder = open(Installed().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_NE(folder, -1);
    CFolderLock first;
    ASSERT_EQ(first.Take(folder), 0);
    const ProgramRun second = Apply();
    EXPECT_TRUE(Ran(second, 3,
        "Another update of " + Installed().string() + " is running (process " + std::to_string(getpid())
            + "); nothing was changed"));
    EXPECT_TRUE(Ran(second, 3, "is being updated by another run of the updater"));
    EXPECT_EQ(SnapshotTree(Installed()), before);
    first.Release();
    close(folder);
}

// Two updaters started at once on one copy: one updates it, the other
// refuses with nothing changed, whichever comes first.
TEST_F(RacingRun, TwoUpdatersAtOnceMakeOneUpdate)
{
    for (int round = 0; round < 6; ++round) {
        Reinstall();
        ProgramRun other;
        std::thread second([&] { other = Apply(); });
        const ProgramRun first = Apply();
        second.join();
        const std::multiset<int> statuses { first.status, other.status };
        // Both may also come one after the other: the second then finds the update done.
        EXPECT_TRUE(statuses == std::multiset<int>({ 0, 3 }) || statuses == std::multiset<int>({ 0, 0 }))
            << first.output << other.output;
        EXPECT_EQ(Installation(true), itsNew);
        EXPECT_EQ(BackupCount(), 1) << first.output << other.output;
    }
}

// Another process gives the staging folder's name to a link to a folder
// elsewhere as soon as the folder appears: the run goes on in the folder it
// made, and nothing elsewhere changes.
TEST_F(RacingRun, ASwappedStagingFolderLeadsNowhere)
{
    itsTemp.Write("elsewhere/keep.txt", "not the updater's");
    const TreeSnapshot elsewhere = SnapshotTree(itsTemp / "elsewhere");
    int swaps = 0;
    // Beside the installation: a rename cannot leave its file system.
    const fs::path taken = itsTemp / "Applications/taken";
    for (int round = 0; round < 3; ++round) {
        Reinstall();
        const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ASSERT_NE(watch, -1);
        ASSERT_NE(inotify_add_watch(watch, Installed().c_str(), IN_CREATE), -1);
        std::atomic<bool> bRunning { true };
        bool bSwapped = false;
        std::thread swapper([&] {
            alignas(inotify_event) char events[4096];
            while (bRunning && !bSwapped) {
                const ssize_t count = read(watch, events, sizeof events);
                if (count <= 0) {
                    usleep(200);
                    continue;
                }
                for (char* at = events; at < events + count && !bSwapped;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(at);
                    if (event->len && std::string(event->name) == ".pwupdate-stage"
                        && rename((Installed() / ".pwupdate-stage").c_str(), taken.c_str()) == 0) {
                        EXPECT_EQ(symlink((itsTemp / "elsewhere").c_str(),
                                      (Installed() / ".pwupdate-stage").c_str()),
                            0);
                        bSwapped = true;
                    }
                    at += sizeof(inotify_event) + event->len;
                }
            }
        });
        const ProgramRun run = ApplyWith("");
        bRunning = false;
        swapper.join();
        close(watch);
        swaps += bSwapped ? 1 : 0;
        EXPECT_EQ(SnapshotTree(itsTemp / "elsewhere"), elsewhere) << run.output;
        fs::remove_all(taken);
        const TreeSnapshot now = Installation(true);
        EXPECT_TRUE(now == itsOld || now == itsNew) << run.output << Log();
    }
    EXPECT_GT(swaps, 0);
}

// An update run of a few hundred files inside this process.
class KilledRun : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        for (int i = 0; i < 300; ++i)
            itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/Resources/Patterns/p"
                    + std::to_string(i) + ".pat",
                std::string(100 + i, 'a' + i % 26));
        itsTemp.Write("builds/5.0.2/Patchwell 5/Help/new.html", "<p>new</p>");
        ASSERT_EQ(Pack(BothBuilds()).status, 0);
        ScanBuilds(itsValid, itsTemp / "builds", { "5.0.1", "5.0.2" });
        itsOld = SnapshotTree(itsTemp.Path() / "builds/5.0.1/Patchwell 5");
        itsNew = SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5");
    }

    CProgramList itsValid;
    TreeSnapshot itsOld;
    TreeSnapshot itsNew;
};

// The run speaks to its observer alone: every line it logs, its progress, and
// the question after a stop request. A stop belongs to its run: the next run
// in the same process goes through.
TEST_F(KilledRun, TheObserverHearsTheRunAndAStopEndsOnlyItsOwnRun)
{
    CScriptedObserver stopped;
    int polls = 0;
    stopped.itsStopPoll = [&] { return ++polls == 40; };
    Cstring key;
    BuildDataKeyText(key);
    {
        CUpdateRun run(Installed().string().c_str(), stopped);
        run.SetArchive(Cstring((Kit() + "/Spring Update.zip").c_str()), key);
        ASSERT_TRUE(run.OpenLog());
        EXPECT_FALSE(run.Apply());
        EXPECT_EQ(run.GetOutcome(), CUpdateRun::kStopped);
        EXPECT_EQ(run.ExitStatus(), 1);
    }
    EXPECT_EQ(
        stopped.itsQuestions, std::vector<std::string> { "Are you sure you want to abort the update?" });
    EXPECT_EQ(Installation(false), itsOld);

    CScriptedObserver observer;
    {
        CUpdateRun run(Installed().string().c_str(), observer);
        run.SetArchive(Cstring((Kit() + "/Spring Update.zip").c_str()), key);
        run.SetBuilds(LatestProgramDate(itsValid), NewestValidBuild(itsValid), itsValid.First());
        ASSERT_TRUE(run.OpenLog());
        EXPECT_TRUE(run.Apply()) << run.GetMessage().GetText();
        EXPECT_EQ(run.ExitStatus(), 0);
    }
    EXPECT_EQ(Installation(true), itsNew);
    EXPECT_GT(observer.itsProgressCalls, 300);
    std::string logged;
    uint32_t entries = 0;
    for (const std::string& line : observer.itsLogLines) {
        logged += line + "\n";
        entries += line.rfind("ExtractOneFile - ", 0) == 0;
    }
    // The counter shows the entries done before the one under way.
    EXPECT_EQ(observer.itsLastFilesDone + 1, entries);
    EXPECT_EQ(logged, Log());
}

} // namespace
