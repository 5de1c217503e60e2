// An update run of a few hundred files inside this process: what it tells
// its observer, and a stop that belongs to its own run alone. What a kill or
// a signal at each step leaves is FaultedRun's (TransactionFaultTest.cpp).

#include "KitFixture.h"
#include "engine/BuildCheck.h"
#include "engine/Progress.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRun.h"
#include "identification/ProgramList.h"
#include "identification/ProgramScanner.h"
#include "support/ScriptedObserver.h"

namespace {

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

    CProgramList itsValid;
    TreeSnapshot itsOld;
    TreeSnapshot itsNew;
};

} // namespace

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
