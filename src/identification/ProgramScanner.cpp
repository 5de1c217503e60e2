#include "identification/ProgramScanner.h"

const char* const gValidProgramNames[]
    = { "Patchwell", "Patchwell5", "Patchwell5PPC", "PatchwellPPC", nullptr };

int ScanDirectory(CProgramList&, const char*, const char* const*, CProgramList*)
{
    return 0;
}
