#include "support/RanProgram.h"

testing::AssertionResult Ran(const ProgramRun& theRun, int theStatus, const std::string& theText)
{
    if (theRun.status == theStatus && theRun.output.find(theText) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "status " << theRun.status << " (expected " << theStatus
                                       << "), expected to say \"" << theText << "\":\n"
                                       << theRun.output;
}
