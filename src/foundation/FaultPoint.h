#pragma once

// A place just before a system call that changes the disk, where the test
// build can stop the program or make the call fail: the tests of the update
// transaction kill a run at every one of its changes, in turn, and check that
// the next start leaves the old build or the new one. Other builds compile
// every point to nothing.
//
// The test build reads two variables once: PW_FAULTS, a list such as
// "fail=12,kill=30" (the points counted from 1 in the order they are
// reached; "fail" makes that call fail with EIO, "kill" ends the process
// with SIGKILL, "int" and "term" send it SIGINT or SIGTERM, as a person or
// a service manager would, and go on), and PW_FAULT_TRACE, a file to which
// each point reached appends its number and theCall.
#ifdef PW_FAULT_POINTS
// 0 to go on with the call, or the errno that it is to fail with.
int FaultPoint(const char* theCall);
#else
inline int FaultPoint(const char*)
{
    return 0;
}
#endif
