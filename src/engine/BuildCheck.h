#pragma once

#include "foundation/Cstring.h"

class CProgram;
class CProgramList;

// The build an update installs, by the program data: the newest valid build
// (the first of the greatest date), or null when the list is empty.
const CProgram* NewestValidBuild(const CProgramList& theValid);

// Whether the bundle at theBundlePath holds exactly the files theBuild lists,
// each with its digest, and no others. False with theProblem naming the
// first difference.
bool BundleMatchesBuild(const char* theBundlePath, const CProgram& theBuild, Cstring& theProblem);
