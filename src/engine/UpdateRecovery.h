#pragma once

#include "foundation/Arrays.h"
#include "foundation/Cstring.h"

#include <cstdio>

class CConfinedFolder;

// Finishes what a run that was killed, or lost its power, left in
// theFolder: its changes are undone (or, when it had got as far as keeping
// them, its leftovers are cleared away), with lines in the folder's log.
// Returns false when there was nothing to do; else true, with a note for the
// user in theNote. A folder that another updater is updating is left alone,
// with a note that says so.
bool RecoverInterruptedUpdate(const char* theFolder, Cstring& theNote);

// The same in theFolder, open at thePath, whose lock (CFolderLock) the
// caller holds.
bool RecoverLockedFolder(const CConfinedFolder& theFolder, const char* thePath, Cstring& theNote);

// Whether this process recovered an update of the open folder theFolder: a
// run there then keeps the recovery's lines at the start of its log.
bool WasRecoveredHere(int theFolder);

// RecoverInterruptedUpdate for every subfolder of theFolder that holds a
// journal; the notes are appended to theNotes.
void RecoverInterruptedUpdates(const char* theFolder, CStringArray& theNotes);

// Notes of the recoveries made at start-up, for the user to see.
extern CStringArray gRecoveryNotes;
