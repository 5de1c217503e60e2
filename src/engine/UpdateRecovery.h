#pragma once

#include "foundation/Arrays.h"
#include "foundation/Cstring.h"

// Finishes what a run that was killed, or lost its power, left in
// theFolder: its changes are undone (or, when it had got as far as keeping
// them, its leftovers are cleared away), with lines in the folder's log.
// Returns false when there was nothing to do; else true, with a note for the
// user in theNote.
bool RecoverInterruptedUpdate(const char* theFolder, Cstring& theNote);

// RecoverInterruptedUpdate for every subfolder of theFolder that holds a
// journal; the notes are appended to theNotes.
void RecoverInterruptedUpdates(const char* theFolder, CStringArray& theNotes);

// Notes of the recoveries made at start-up, for the user to see.
extern CStringArray gRecoveryNotes;
