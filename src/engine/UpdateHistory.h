#pragma once

#include "foundation/Cstring.h"

#include <cstdio>
#include <ctime>

// The history of updates on this machine, beside the log in each folder,
// which every run writes anew: one line per run, appended with a single
// write to a file opened O_APPEND, so that two updaters at once never mix
// their lines. The fields, apart by tabs: the time (ISO 8601, local, with
// its offset), the updater's version, the copy's folder, the build it had,
// the build the kit brings, the outcome and the folder's log; "-" for what
// is not known. A tab, a line end or a backslash in a field is written as
// \t, \n, \r or \\.
struct UpdateHistoryLine {
    Cstring itsFolder;
    Cstring itsFromBuild;
    Cstring itsToBuild;
    const char* itsOutcome = "";
    Cstring itsLogPath;
};

// $XDG_STATE_HOME/Patchwell/updates.log (~/.local/state/...); for root
// without XDG_STATE_HOME, /var/log/patchwell-updater.log. Empty when there
// is no home folder to put it in.
Cstring UpdateHistoryPath();

// The line as it is written, with its line end, at theTime.
Cstring FormatHistoryLine(const UpdateHistoryLine& theLine, time_t theTime);

// Appends the line for a run that ends now. A history that cannot be
// written never fails the update: the first failure of the process is told
// on standard error and in pLog (the folder's log, may be null).
void AppendUpdateHistory(const UpdateHistoryLine& theLine, FILE* pLog);
