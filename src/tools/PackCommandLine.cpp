#include "tools/PackCommands.h"

#include <cstdio>

namespace {

bool gQuiet = false;

} // namespace

bool RefuseUsage(const char* theCommand, const char* theFormat, const char* theArgument, const char* theMore)
{
    std::fprintf(stderr, "patchwell-pack %s: ", theCommand);
    std::fprintf(stderr, theFormat, theArgument, theMore);
    std::fprintf(stderr, "\nTry 'patchwell-pack %s --help' for more information.\n", theCommand);
    return false;
}

bool ReadPackArguments(const char* theCommand, CCommandLine& theLine, int theCount, char** theArgs,
    std::initializer_list<PackOperand> theOperands, bool bMore)
{
    if (!theLine.Read(theCount, theArgs)) {
        const char* said = theLine.GetProblem() == CCommandLine::Problem::kUnknownOption
            ? "unknown option '%s'"
            : theLine.GetProblem() == CCommandLine::Problem::kNeedsValue ? "option '%s' needs a value"
                                                                         : "option '%s' takes no value";
        return RefuseUsage(theCommand, said, theLine.ProblemArgument().c_str());
    }
    const std::vector<const char*>& given = theLine.Operands();
    if (given.size() < theOperands.size()) {
        const PackOperand& missing = theOperands.begin()[given.size()];
        return RefuseUsage(theCommand, "missing %s, %s", missing.itsName, missing.itsWhat);
    }
    if (!bMore && given.size() > theOperands.size())
        return RefuseUsage(theCommand, "unexpected argument '%s'", given[theOperands.size()]);
    return true;
}

bool PackQuiet()
{
    return gQuiet;
}

void SetPackQuiet(bool bQuiet)
{
    gQuiet = bQuiet;
}
