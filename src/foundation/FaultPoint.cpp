#include "foundation/FaultPoint.h"

#ifdef PW_FAULT_POINTS

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

struct FaultPlan {
    FaultPlan()
    {
        const char* plan = std::getenv("PW_FAULTS");
        for (const char* at = plan ? plan : ""; *at;) {
            const char* equals = std::strchr(at, '=');
            const std::string name(at, equals ? equals - at : 0);
            unsigned long* point = name == "fail" ? &itsFail
                : name == "kill"                  ? &itsKill
                : name == "int"                   ? &itsInterrupt
                : name == "term"                  ? &itsTerminate
                                                  : nullptr;
            if (point)
                *point = std::strtoul(equals + 1, nullptr, 10);
            at = std::strchr(at, ',');
            if (!at)
                break;
            ++at;
        }
        if (const char* trace = std::getenv("PW_FAULT_TRACE"))
            itsTrace = open(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    }

    unsigned long itsFail = 0;
    unsigned long itsKill = 0;
    unsigned long itsInterrupt = 0;
    unsigned long itsTerminate = 0;
    int itsTrace = -1;
    std::atomic<unsigned long> itsReached { 0 };
};

} // namespace

int FaultPoint(const char* theCall)
{
    static FaultPlan plan;
    const unsigned long number = ++plan.itsReached;
    if (plan.itsTrace != -1) {
        // One write a line, so that the trace is whole up to a kill.
        const std::string line = std::to_string(number) + " " + theCall + "\n";
        if (write(plan.itsTrace, line.data(), line.size()) < 0)
            std::perror("PW_FAULT_TRACE");
    }
    if (number == plan.itsKill)
        raise(SIGKILL);
    if (number == plan.itsInterrupt)
        kill(getpid(), SIGINT);
    if (number == plan.itsTerminate)
        kill(getpid(), SIGTERM);
    return number == plan.itsFail ? EIO : 0;
}

#endif
