#include "app/ConsoleReport.h"

#include "app/JsonWriter.h"
#include "engine/BuildCheck.h"
#include "engine/UpToDate.h"
#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "identification/Program.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"

namespace {

void WriteCopy(
    CJsonWriter& theJson, const CProgram& theCopy, const CProgram* pBuild, const Cstring& theArchive)
{
    theJson.BeginObject();
    theJson.Key("folder").String(theCopy.itsFolder.GetText());
    theJson.Key("program").String(theCopy.itsName.GetText());
    theJson.Key("date").String(theCopy.itsDate.GetText(), true);
    theJson.Key("known").Bool(pBuild != nullptr);
    theJson.Key("build").String(pBuild ? pBuild->itsDate.GetText() : nullptr);
    theJson.Key("upToDate");
    if (theArchive.IsEmpty())
        theJson.Null();
    else
        theJson.Bool(IsAlreadyInstalled(theArchive.GetText(), theCopy.itsFolder.GetText()));
    theJson.EndObject();
}

} // namespace

void PrintApplyJson(const ApplyReport& theReport)
{
    CJsonWriter json(stdout);
    json.BeginObject();
    json.Key("updater").String(PW_VERSION);
    json.Key("folder").String(theReport.itsFolder.GetText());
    json.Key("status").String(theReport.itsStatus);
    json.Key("exitStatus").Number(theReport.itsExitStatus);
    json.Key("fromBuild").String(theReport.itsFromBuild.GetText(), true);
    json.Key("toBuild").String(theReport.itsToBuild.GetText(), true);
    json.Key("backup").String(theReport.itsBackup.GetText(), true);
    json.Key("log").String(theReport.itsLog.GetText(), true);
    json.Key("message").String(theReport.itsMessage.GetText(), true);
    json.Key("origin").String(theReport.itsOrigin.GetText(), true);
    json.EndObject();
    json.Finish();
}

void PrintListJson(
    const CUpdateKit& theKit, const CProgramList* pUnknown, int theExitStatus, const Cstring& theProblem)
{
    const bool bListed = theProblem.IsEmpty();
    const CProgram* newest = NewestValidBuild(ValidPrograms);
    CJsonWriter json(stdout);
    json.BeginObject();
    json.Key("updater").String(PW_VERSION);
    json.Key("kit").String(theKit.itsFolder.GetText());
    json.Key("applications").String(gApplicationsFolder.GetText());
    json.Key("status").String(bListed ? "listed" : "refused");
    json.Key("exitStatus").Number(theExitStatus);
    json.Key("message").String(theProblem.GetText(), true);
    json.Key("newestBuild").String(newest && bListed ? newest->itsDate.GetText() : nullptr);
    json.Key("copies").BeginArray();
    const Cstring archive = bListed ? theKit.itsArchive : Cstring();
    for (const CProgram* copy = bListed ? FoundPrograms.First() : nullptr; copy;
         copy = CProgramList::Next(copy))
        WriteCopy(json, *copy, FindMatchingProgram(ValidPrograms, *copy), archive);
    for (const CProgram* copy = bListed && pUnknown ? pUnknown->First() : nullptr; copy;
         copy = CProgramList::Next(copy))
        WriteCopy(json, *copy, nullptr, archive);
    json.EndArray();
    json.EndObject();
    json.Finish();
}
