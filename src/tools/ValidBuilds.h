#pragma once

#include "identification/ProgramList.h"
#include "identification/ScanBatch.h"

// Appends to theList every build of the program found in the subfolders of
// theFolder, as the updater would find installed copies, but with nothing to
// match against: these are the builds the vendor declares valid. They are
// begun in theBatch, so that the builds of every folder are digested together
// when it finishes. Returns the number found.
int CollectValidBuilds(CProgramList& theList, CScanBatch& theBatch, const char* theFolder);

// Scans every folder named on the command line into theList and writes the
// data file; explains on standard error and returns false when a folder holds
// no build or the file cannot be written.
bool WriteValidBuilds(const char* theDataPath, int theCount, char** theFolders);
