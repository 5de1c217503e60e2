#pragma once

#include "foundation/Cstring.h"

#include <cstdint>

// How far an update run has come: the entry being written (every entry of a
// bundle shows as the bundle), the bytes and the entries done of all.
struct UpdateProgress {
    const Cstring& itsName;
    int64_t itsBytesDone = 0;
    int64_t itsTotalBytes = 0;
    uint32_t itsFilesDone = 0;
    uint32_t itsFileCount = 0;
};

// Whoever shows an update run to a person: the wizard, or the console of
// --apply. The run reaches the person only through these calls, on its own
// thread, and never names a window item.
class CUpdateObserver {
public:
    virtual ~CUpdateObserver() = default;

    virtual void ShowProgress(const UpdateProgress& theProgress) = 0;
    // Each line the run writes to its log, without its line end.
    virtual void ShowLogLine(const char* /*theLine*/) { }
    // Whether the person asked to stop since the last call; the run calls it
    // often, and a window handles its pending events here.
    virtual bool HasStopRequest() = 0;
    // Asks whether to stop the update after such a request; true to stop.
    virtual bool ConfirmStop(const char* theQuestion) = 0;
};
