// Runs of an update of a few hundred files stopped at many points: killed
// outright, after which the next start of the updater must leave exactly the
// old build or exactly the new one; or asked to stop with SIGTERM, after which
// the run itself must have put the old build back.

#include "KitFixture.h"
#include "engine/BuildCheck.h"
#include "engine/Progress.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRun.h"
#include "identification/ProgramList.h"
#include "identification/ProgramScanner.h"
#include "support/ScriptedObserver.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t gTermSeen = 0;

void OnTerm(int)
{
    gTermSeen = 1;
}

class KilledRun : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        const std::string build = itsTemp / "builds/5.0.2/Patchwell 5";
        for (int i = 0; i < 300; ++i) {
            char name[96];
            std::snprintf(name, sizeof name, "/Patchwell 5.app/Contents/Resources/Patterns/p%03d.pat", i);
            itsTemp.Write(
                build.substr(itsTemp.Path().string().size() + 1) + name, std::string(100 + i, 'a' + i % 26));
        }
        itsTemp.Write("builds/5.0.2/Patchwell 5/Help/new.html", "<p>new</p>");
        ASSERT_EQ(Pack(BothBuilds()).status, 0);
        for (const char* version : { "5.0.1", "5.0.2" }) {
            CProgram* valid = new CProgram;
            ScanFile(*valid,
                (itsTemp / ("builds/" + std::string(version) + "/Patchwell 5/Patchwell 5.app")).c_str(),
                nullptr);
            itsValid.Append(valid);
        }
        itsOld = SnapshotTree(itsTemp.Path() / "builds/5.0.1/Patchwell 5");
        itsNew = SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5");
    }

    // One run in this process; theSignal is raised at cancel poll thePoll.
    // Returns the number of polls made.
    int Run(int theSignal, int thePoll)
    {
        CScriptedObserver observer;
        int polls = 0;
        observer.itsStopPoll = [&] {
            if (++polls == thePoll)
                raise(theSignal);
            return gTermSeen != 0;
        };
        gTermSeen = 0;
        CUpdateRun run(Installed().string().c_str(), observer);
        Cstring key;
        BuildDataKeyText(key);
        run.SetArchive(Cstring((Kit() + "/Spring Update.zip").c_str()), key);
        run.SetBuilds(LatestProgramDate(itsValid), NewestValidBuild(itsValid), itsValid.First());
        if (!run.OpenLog())
            return -1;
        run.Apply();
        return polls;
    }

    // The same in a child process, which the signal may end. A run makes a
    // few polls more or fewer from one time to the next (the workers report
    // as they go), so a point near the end may never come: the child then
    // exits with kNeverStopped and the run went through untouched.
    static constexpr int kNeverStopped = 2;
    int RunInChild(int theSignal, int thePoll)
    {
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGTERM, OnTerm);
            _exit(Run(theSignal, thePoll) >= thePoll ? 0 : kNeverStopped);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }

    std::vector<int> Points()
    {
        Reinstall();
        const int polls = Run(0, -1);
        EXPECT_GT(polls, 300);
        std::set<int> points;
        for (int i = 0; i < 16; ++i)
            points.insert(1 + i * (polls - 1) / 15);
        // The last polls fall between the renames that put the update in place.
        for (int i = 0; i < 6; ++i)
            points.insert(polls - i);
        EXPECT_GE(points.size(), 20u);
        return std::vector<int>(points.begin(), points.end());
    }

    CProgramList itsValid;
    TreeSnapshot itsOld;
    TreeSnapshot itsNew;
};

} // namespace

TEST_F(KilledRun, TheNextStartLeavesTheOldBuildOrTheNew)
{
    int oldBuilds = 0;
    int newBuilds = 0;
    for (const int point : Points()) {
        SCOPED_TRACE("killed at poll " + std::to_string(point));
        Reinstall();
        const int status = RunInChild(SIGKILL, point);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kNeverStopped) {
            EXPECT_EQ(Installation(true), itsNew);
            continue;
        }
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const ProgramRun start = Updater("--list");
        EXPECT_TRUE(Ran(start, 0, Installed().string())) << "the copy is found again";
        const TreeSnapshot now = Installation(true);
        if (now == itsOld)
            ++oldBuilds;
        else if (now == itsNew)
            ++newBuilds;
        else
            ADD_FAILURE() << "neither build:\n" << start.output;
    }
    EXPECT_GT(oldBuilds, 0);
}

TEST_F(KilledRun, StopSignalPutsTheOldBuildBack)
{
    int stopped = 0;
    for (const int point : Points()) {
        SCOPED_TRACE("stopped at poll " + std::to_string(point));
        Reinstall();
        const int status = RunInChild(SIGTERM, point);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == kNeverStopped) {
            EXPECT_EQ(Installation(true), itsNew);
            continue;
        }
        ++stopped;
        EXPECT_EQ(Installation(false), itsOld);
        const std::string log = Log();
        EXPECT_NE(log.find("ExtractFiles aborted\n"), std::string::npos) << log;
        EXPECT_TRUE(log.find("The previous version was restored\n") != std::string::npos
            || log.find("The installation was left as it was\n") != std::string::npos)
            << log;
    }
    EXPECT_GE(stopped, 15);
}

// The run speaks to its observer alone: every line it logs, its progress, and
// the question after a stop request. A stop belongs to its run: the next run
// in the same process goes through.
TEST_F(KilledRun, TheObserverHearsTheRunAndAStopEndsOnlyItsOwnRun)
{
    Reinstall();
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
