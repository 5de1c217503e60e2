#pragma once

// An update kit made by patchwell-pack from two demo builds, and an installed
// copy of the older one, for the tests that run both programs.

#include "support/DemoBuild.h"
#include "support/MountedFolder.h"
#include "support/RanProgram.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <memory>

// patchwell-pack with theArguments.
inline ProgramRun PackTool(const std::string& theArguments)
{
    return RunProgram(ProgramFromEnvironment("PW_PACK") + " " + theArguments);
}

class UpdateKit : public testing::Test {
protected:
    void SetUp() override
    {
        MakeBuild("5.0.1", "2025-03-01 10:00:00");
        MakeBuild("5.0.2", "2026-11-20 09:30:00");
        // The updater syncs what it installs; in memory that costs nothing, and
        // where no file system can be mounted the tests are slower, not different.
        itsApplications = std::make_unique<CMountedFolder>(itsTemp / "Applications", "size=512m");
        Reinstall();
        itsTemp.Write("readme.txt", "Spring Update for Patchwell 5\n");
    }

    // theKey: the public key the build names, none when empty.
    void MakeBuild(const std::string& theVersion, const std::string& theDate, const std::string& theKey = "")
    {
        std::filesystem::remove_all(itsTemp / ("builds/" + theVersion));
        ASSERT_TRUE(
            MakeDemoBuild(itsTemp / ("builds/" + theVersion + "/Patchwell 5"), theVersion, theDate, theKey));
    }

    // The installed copy becomes the demo build of theVersion again.
    void Reinstall(const std::string& theVersion = "5.0.1")
    {
        std::filesystem::remove_all(Installed());
        std::filesystem::copy(itsTemp.Path() / ("builds/" + theVersion + "/Patchwell 5"), Installed(),
            std::filesystem::copy_options::recursive);
    }

    std::filesystem::path Installed() const { return itsTemp.Path() / "Applications/Patchwell 5"; }
    std::string Kit() const { return itsTemp / "kit"; }
    std::string Log() const { return ReadWholeFile((Installed() / "Updater Log File.txt").string()); }
    // The copy less the log; nothing of a run's own (".pw…") may be left in
    // it, and with bWithoutBackups its backups are left out too.
    TreeSnapshot Installation(bool bWithoutBackups = false) const
    {
        TreeSnapshot tree = SnapshotTree(Installed(), "Updater Log File.txt");
        for (auto it = tree.begin(); it != tree.end();) {
            EXPECT_EQ(it->first.find(".pw"), std::string::npos) << it->first << " left behind";
            it = bWithoutBackups && it->first.rfind("Patchwell 5_Backup_", 0) == 0 ? tree.erase(it) : ++it;
        }
        return tree;
    }
    int BackupCount() const
    {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Installed()))
            count += entry.path().filename().string().rfind("Patchwell 5_Backup_", 0) == 0;
        return count;
    }

    // The folders of both demo builds, as --data takes them.
    std::string BothBuilds() const
    {
        return ShellQuote(itsTemp / "builds/5.0.1") + " " + ShellQuote(itsTemp / "builds/5.0.2");
    }

    ProgramRun Pack(const std::string& theDataFolders, const std::string& theOptions = "")
    {
        return PackTool("kit " + ShellQuote(Kit()) + " --data " + theDataFolders + " --new "
            + ShellQuote(itsTemp / "builds/5.0.2/Patchwell 5") + " --readme "
            + ShellQuote(itsTemp / "readme.txt") + " --name 'Spring Update'" + theOptions);
    }

    // The kit's updater with theArguments.
    std::string UpdaterCommand(const std::string& theArguments, const std::string& theKit = "") const
    {
        const std::string kit = theKit.empty() ? Kit() : theKit;
        return ShellQuote(kit + "/patchwell-updater") + " --bundle " + ShellQuote(kit) + " --applications "
            + ShellQuote(itsTemp / "Applications") + " " + theArguments;
    }
    // The same, where a hang ends as a failure.
    ProgramRun Updater(const std::string& theArguments)
    {
        return RunProgram("timeout 300 " + UpdaterCommand(theArguments));
    }
    // --apply to the installed copy, with theOptions.
    ProgramRun Apply(const std::string& theOptions = "")
    {
        return Updater("--apply " + ShellQuote(Installed()) + theOptions);
    }

    TempFolder itsTemp;
    std::unique_ptr<CMountedFolder> itsApplications;
};

// One demo build in builds/a, a readme and an empty folder of applications,
// for the tests of patchwell-pack kit alone.
class OneBuild : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeDemoBuild(itsTemp / "builds/a/Patchwell 5", "5.0.1", "2026-01-02 03:04:05"));
        itsTemp.Write("readme.txt", "Read me\n");
        std::filesystem::create_directory(itsTemp.Path() / "Applications");
    }

    static ProgramRun Kit(const std::string& theArguments) { return PackTool("kit " + theArguments); }
    std::string Quoted(const std::string& theName) const { return ShellQuote(itsTemp / theName); }
    std::string DataAndNew() const
    {
        return " --data " + Quoted("builds/a") + " --new " + Quoted("builds/a/Patchwell 5");
    }

    TempFolder itsTemp;
};
