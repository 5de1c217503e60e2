#pragma once

struct CUpdateKit;
struct CProgramDataReport;
class CProgramList;

// What a kit makes of the updater, whether it was found at start-up or
// opened later from the window.

// The tokens "|ZIPNAME|" and "|PROGNAME|" in every text loaded from now on
// name theKit's archive; gProgramName is string 10000 with the new name.
void NameKitInTexts(const CUpdateKit& theKit);
// ValidPrograms becomes the builds that theKit's data.txt lists, as start-up
// read the file; pReport, when given, receives what became of it.
void ReadKitBuilds(const CUpdateKit& theKit, CProgramDataReport* pReport);
// FoundPrograms becomes the copies under the applications folder that match
// ValidPrograms; pUnknown, when given, receives those that match none.
void FindInstalledCopies(CProgramList* pUnknown);
