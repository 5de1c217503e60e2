#pragma once

#include "engine/UpdateObserver.h"

#include <functional>
#include <string>
#include <vector>

// An update run's observer for tests: its stop poll is a script, a stop is
// always confirmed, and what the run showed is kept.
class CScriptedObserver : public CUpdateObserver {
public:
    void ShowProgress(const UpdateProgress& theProgress) override
    {
        ++itsProgressCalls;
        itsLastFilesDone = theProgress.itsFilesDone;
    }
    void ShowLogLine(const char* theLine) override { itsLogLines.push_back(theLine); }
    bool HasStopRequest() override { return itsStopPoll && itsStopPoll(); }
    bool ConfirmStop(const char* theQuestion) override
    {
        itsQuestions.push_back(theQuestion);
        return true;
    }

    std::function<bool()> itsStopPoll;
    int itsProgressCalls = 0;
    uint32_t itsLastFilesDone = 0;
    std::vector<std::string> itsLogLines;
    std::vector<std::string> itsQuestions;
};
