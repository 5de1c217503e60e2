#include "support/ScriptedPrinter.h"

#include <algorithm>
#include <cstring>

int CRecordingSurface::TextWidth(const char* theText) const
{
    return 5 * static_cast<int>(std::strlen(theText));
}

std::vector<Cstring> CScriptedPrinter::PrinterNames() const
{
    std::vector<Cstring> names;
    if (!itsScript.itsDefaultPrinter.empty())
        names.emplace_back(itsScript.itsDefaultPrinter.c_str());
    for (const std::string& name : itsScript.itsNames)
        names.emplace_back(name.c_str());
    return names;
}

bool CScriptedPrinter::SetPrinter(const char* theName)
{
    itsScript.itsCalls.push_back(std::string("printer:") + theName);
    const std::vector<Cstring> names = PrinterNames();
    if (std::find(names.begin(), names.end(), Cstring(theName)) == names.end())
        return false;
    itsScript.itsPrinter = theName;
    return true;
}

bool CScriptedPrinter::Call(const std::string& theCall, bool bResult)
{
    itsScript.itsCalls.push_back(theCall);
    return bResult;
}
