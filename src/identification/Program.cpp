#include "identification/Program.h"

#include "foundation/Arrays.h"
#include "identification/ProgramPart.h"

CProgram::~CProgram()
{
    itsParts.DeleteAll();
}

Cstring CProgram::AsText() const
{
    Cstring text;
    text.Format("%s%c%s%c%d%c%s%c%s", itsName.GetText(), kFieldSeparator, itsDate.GetText(), kFieldSeparator,
        itsSize, kFieldSeparator, itsExecutable.GetText(), kFieldSeparator, itsFolder.GetText());
    return text;
}

void CProgram::Parse(const char* theText)
{
    CStringArray fields;
    Cstring(theText).Split(fields, kFieldSeparator);
    if (fields.GetCount() < 5) {
        itsName = "";
        itsFolder = "";
        itsExecutable = "";
        itsDate = "";
        itsSize = 0;
        return;
    }
    itsName = fields.At(0);
    itsDate = fields.At(1);
    itsSize = ParseSize(fields.At(2).GetText());
    itsExecutable = fields.At(3);
    itsFolder = fields.At(4);
}

void CProgram::AddPart(CProgramPart* pPart)
{
    pPart->itsOwner = this;
    itsParts.Append(pPart);
}

CProgramPart* CProgram::FirstPart() const
{
    return static_cast<CProgramPart*>(itsParts.GetHead());
}

CProgramPart* CProgram::NextPart(const CProgramPart* pPart)
{
    return static_cast<CProgramPart*>(pPart->GetNext());
}
