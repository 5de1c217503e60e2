#pragma once

#include "engine/KitArchive.h"
#include "foundation/Cstring.h"

#include <csignal>
#include <string>

// A kit archive unpacked into a private temporary folder (mode 0700, in
// $TMPDIR or /tmp), which this object alone owns and removes when it goes:
// after a run, a refusal, a cancel, or SIGINT and SIGTERM. While it unpacks,
// those signals stop it; afterwards it keeps taking them only when nothing
// else did (the console), records them, and when it goes, after the folder
// is removed, raises the signal again with its default action, so the
// program ends as the signal asked. Under a host that takes the signals
// itself, the host's quit ends the program the ordinary way. The folder is
// locked while held, so that one left by a program that was killed or that
// crashed is known for what it is and removed by the next unpacking.
class CUnpackedKit {
public:
    CUnpackedKit() = default;
    ~CUnpackedKit();
    CUnpackedKit(const CUnpackedKit&) = delete;
    CUnpackedKit& operator=(const CUnpackedKit&) = delete;

    // Unpacks theArchive; false with theProblem (what failed, on which entry)
    // and nothing left in the temporary folder.
    bool Unpack(const char* theArchive, std::string& theProblem, const KitArchiveLimits& theLimits = {});
    // The kit's folder: the archive's one top folder when it holds only that
    // (as patchwell-pack packs it), else the temporary folder itself.
    const Cstring& KitFolder() const { return itsKitFolder; }
    // The temporary folder; empty when none is held.
    const Cstring& TemporaryFolder() const { return itsTemporary; }
    // Whether SIGINT or SIGTERM arrived while this object took them.
    static bool StopRequested();

private:
    void Remove();
    // Puts the handlers before back, and raises a stop that came meanwhile.
    void GiveSignalsBack();

    Cstring itsTemporary;
    int itsHold = -1; // the temporary folder, opened and locked
    Cstring itsKitFolder;
    bool bHoldsSignals = false;
    struct sigaction itsOldInt = {};
    struct sigaction itsOldTerm = {};
};

// Removes the folders in theRoot that unpacked kits of this user left behind
// (unlocked, and untouched for a minute, so not one being made right now).
void RemoveAbandonedKits(const char* theRoot);

// Whether thePath names a kit archive rather than a kit folder: anything but
// a folder is taken for one, and the unpacking then says what is wrong.
bool IsKitArchivePath(const char* thePath);
