#pragma once

// An update kit made by patchwell-pack from two demo builds, and an installed
// copy of the older one, for the tests that run both programs.

#include "support/DemoBuild.h"
#include "support/MountedFolder.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

class UpdateKit : public testing::Test {
protected:
    void SetUp() override
    {
        MakeBuild("5.0.1", "2025-03-01 10:00:00");
        MakeBuild("5.0.2", "2026-11-20 09:30:00");
        // The updater syncs what it installs; in memory that costs nothing, and
        // where no file system can be mounted the tests are slower, not different.
        itsApplications = std::make_unique<CMountedFolder>(itsTemp / "Applications", "size=512m");
        std::filesystem::copy(itsTemp.Path() / "builds/5.0.1/Patchwell 5", Installed(),
            std::filesystem::copy_options::recursive);
        itsTemp.Write("readme.txt", "Spring Update for Patchwell 5\n");
    }

    void MakeBuild(const std::string& theVersion, const std::string& theDate)
    {
        ASSERT_TRUE(MakeDemoBuild(itsTemp / ("builds/" + theVersion + "/Patchwell 5"), theVersion, theDate));
    }

    std::filesystem::path Installed() const { return itsTemp.Path() / "Applications/Patchwell 5"; }
    std::string Kit() const { return itsTemp / "kit"; }

    // The folders of both demo builds, as --data takes them.
    std::string BothBuilds() const
    {
        return ShellQuote(itsTemp / "builds/5.0.1") + " " + ShellQuote(itsTemp / "builds/5.0.2");
    }

    ProgramRun Pack(const std::string& theDataFolders, const std::string& theOptions = "")
    {
        return RunProgram(ProgramFromEnvironment("PW_PACK") + " kit " + ShellQuote(Kit()) + " --data "
            + theDataFolders + " --new " + ShellQuote(itsTemp / "builds/5.0.2/Patchwell 5") + " --readme "
            + ShellQuote(itsTemp / "readme.txt") + " --name 'Spring Update'" + theOptions);
    }

    ProgramRun Updater(const std::string& theArguments)
    {
        return RunProgram(ShellQuote(Kit() + "/patchwell-updater") + " --bundle " + ShellQuote(Kit())
            + " --applications " + ShellQuote(itsTemp / "Applications") + " " + theArguments);
    }

    TempFolder itsTemp;
    std::unique_ptr<CMountedFolder> itsApplications;
};
