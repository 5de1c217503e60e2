#include "identification/ProgramData.h"

void ReadProgramData(CProgramList&, const char*)
{
}

void DumpPrograms(CProgramList&, FILE*)
{
}
