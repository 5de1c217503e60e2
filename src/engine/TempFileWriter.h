#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <sys/types.h>

// Writes one file into an open folder. Over an existing name it writes under
// a temporary name and puts the file in place with a rename only once all of
// it is written and closed, so a failure or an abort never leaves a
// truncated file and the existing one stays as it was. In a folder that the
// caller knows holds nothing of that name it writes the file in place. An
// unfinished file is removed by the destructor.
class CTempFileWriter {
public:
    enum Placement {
        kReplaceByRename, // a temporary name, renamed over the final one
        kCreateInPlace, // the final name at once; it must not exist
    };

    CTempFileWriter() = default;
    CTempFileWriter(const CTempFileWriter&) = delete;
    CTempFileWriter& operator=(const CTempFileWriter&) = delete;
    ~CTempFileWriter() { Discard(); }

    // Starts the file theName in theFolder (a descriptor that must stay open
    // until Install); theMode is the finished file's. Returns 0, or the errno
    // that explains why the file cannot be made (EISDIR when a folder has
    // the name).
    int Create(int theFolder, const char* theName, Placement thePlacement, mode_t theMode);
    bool IsOpen() const { return itsFile != -1; }
    // Writes the whole block; 0, or the errno of the refusal.
    int Write(const char* theData, size_t theLength);
    // Gives the file its date (access and modification) and mode and closes
    // it. 0, or the errno when the data may not have reached the disk.
    // theModeError gets the errno of a failed mode change, else 0; that
    // failure alone does not fail the call.
    int Finish(time_t theDate, int& theModeError);
    // Puts the finished file under its final name; 0 or the errno.
    int Install();
    // Closes and removes the unfinished file, if any.
    void Discard();

private:
    int itsFolder = -1;
    int itsFile = -1;
    std::string itsWrittenName; // the name the data goes to; empty once installed
    std::string itsFinalName;
    mode_t itsMode = 0644;
    bool bHasMode = false; // made with its mode, which the umask left whole
};
