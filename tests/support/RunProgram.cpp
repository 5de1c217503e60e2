#include "support/RunProgram.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

ProgramRun RunProgram(const std::string& theCommand)
{
    ProgramRun run;
    FILE* pipe = popen((theCommand + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char chunk[4096];
    while (size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
        run.output.append(chunk, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ShellQuote(const std::string& theText)
{
    std::string quoted = "'";
    for (char c : theText)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ProgramFromEnvironment(const char* theVariable)
{
    const char* path = std::getenv(theVariable);
    return ShellQuote(path ? path : theVariable);
}
