#pragma once

#include "foundation/Cstring.h"

#include <cstddef>
#include <ctime>
#include <sys/types.h>

// Writes one file under a temporary name in its destination folder and puts
// it in place with a rename only once all of it is written and closed, so a
// failure or an abort never leaves a truncated file and an existing file
// stays as it was. An uncommitted temporary file is removed by the
// destructor.
class CTempFileWriter {
public:
    CTempFileWriter() = default;
    CTempFileWriter(const CTempFileWriter&) = delete;
    CTempFileWriter& operator=(const CTempFileWriter&) = delete;
    ~CTempFileWriter() { Discard(); }

    // Creates the temporary file in theFolder (empty: the working folder) for
    // the final path thePath. Returns 0, or the errno that explains why the
    // file cannot be made (EISDIR when thePath is a folder).
    int Create(const Cstring& theFolder, const Cstring& thePath);
    bool IsOpen() const { return itsFile != -1; }
    // Writes the whole block; false when the disk refused any of it.
    bool Write(const char* theData, size_t theLength);
    // Gives the file its date (access and modification) and mode and closes
    // it. False when the data may not have reached the disk. theModeError
    // gets the errno of a failed mode change, else 0; that failure alone
    // does not make the result false.
    bool Finish(time_t theDate, mode_t theMode, int& theModeError);
    // Renames the finished file over the final path; 0 or the errno.
    int Install();
    // Closes and removes the temporary file, if any.
    void Discard();

private:
    int itsFile = -1;
    Cstring itsTempPath;
    Cstring itsFinalPath;
};
