#pragma once

#include "engine/Progress.h"
#include "engine/RecordingWindow.h"
#include "engine/ZipExtractor.h"
#include "platform/MessageBox.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "support/TraceCapture.h"
#include "support/ZipFixtures.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

// One extraction the way the update run does it: "NewFiles/" mapped away,
// the key text as password, replace mode, a log, into itsTemp/dest.
class ExtractionTest : public ::testing::Test {
protected:
    CScopedGlobal<int32_t> itsAbort { gAbortUpdate, 0 };
    CScopedGlobal<int32_t> itsOverwrite { gOverwriteAnswer, 0 };

    int Extract(const std::string& theArchive)
    {
        CZipExtractor extractor;
        TraceCapture log;
        extractor.SetLogFile(log.Stream());
        extractor.AddNameMapping("NewFiles/", "", "");
        extractor.SetPassword(itsPassword.c_str());
        extractor.SetOverwriteMode(itsMode);
        if (bStaging) {
            // As the update run does: names speak of the target, files go
            // to a fresh folder.
            extractor.SetDestination((itsTemp / "target").c_str());
            extractor.SetStagingFolder(itsDestination.c_str());
        } else {
            extractor.SetDestination(itsDestination.c_str());
        }
        extractor.SetReadAhead(bReadAhead);
        extractor.SetWorkerThreads(itsWorkerThreads);
        if (bWithWindow) {
            extractor.SetWindow(&itsWindow);
            extractor.SetProgressItems(169, 125, nullptr);
            extractor.SetCounterItem(143, "File %d of %d");
            extractor.SetNameItem(178);
        }
        itsOpened = extractor.Open(theArchive.c_str());
        const int result = itsOpened ? extractor.ExtractFiles() : 0;
        itsError = extractor.GetLastError().GetText();
        itsFilesDone = extractor.GetFilesDone();
        itsFileCount = extractor.GetFileCount();
        itsLog = log.Text();
        return result;
    }

    std::string WriteArchive(const std::string& theBytes) { return itsTemp.Write("archive.zip", theBytes); }

    CTestHost itsHost;
    TempFolder itsTemp;
    std::string itsDestination = itsTemp / "dest";
    std::string itsPassword = KeyText();
    int itsMode = CZipExtractor::kOverwriteReplace;
    bool bWithWindow = false;
    int itsWorkerThreads = -1;
    bool bReadAhead = true;
    bool bStaging = false;
    CRecordingWindow itsWindow;

    int itsOpened = 0;
    std::string itsError;
    std::string itsLog;
    uint32_t itsFilesDone = 0;
    uint32_t itsFileCount = 0;
};
