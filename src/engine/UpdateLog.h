#pragma once

#include <cstdio>
#include <functional>

enum UpdateLogStart {
    kLogEmptied, // a run's own log: created, or emptied when it exists
    kLogAppended, // a later note, such as the end of a recovery
};

// Opens "Updater Log File.txt" in the open folder theTargetFolder, line
// buffered. Never follows a symbolic link, and takes only a regular file
// that has no other name: a link or a second name that someone put in the
// way cannot make the updater empty or write another file. Null with errno
// set when the log cannot be had.
FILE* OpenUpdateLog(int theTargetFolder, UpdateLogStart theStart);

// A stream that writes what it is given to theLog, line buffered, and hands
// each whole line (without its line end) to theLine as well. It owns theLog:
// closing it closes theLog. When it cannot be made, theLog itself.
FILE* ObserveLogLines(FILE* theLog, std::function<void(const char*)> theLine);
