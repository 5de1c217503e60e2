#include "support/DemoBuild.h"

#include "identification/ProgramList.h"
#include "identification/ProgramScanner.h"
#include "support/RunProgram.h"

#include <cstdio>
#include <cstdlib>

bool MakeDemoBuild(const std::string& theFolder, const std::string& theVersion, const std::string& theDate,
    const std::string& theKey)
{
    const char* source = std::getenv("PW_SOURCE_DIR");
    const std::string script = std::string(source ? source : ".") + "/scripts/make-demo-build.sh";
    const ProgramRun run
        = RunProgram("bash " + ShellQuote(script) + " " + ShellQuote(theFolder) + " " + ShellQuote(theVersion)
            + " " + ShellQuote(theDate) + (theKey.empty() ? "" : " " + ShellQuote(theKey)));
    if (run.status != 0)
        std::fprintf(stderr, "%s", run.output.c_str());
    return run.status == 0;
}

void ScanBuilds(CProgramList& theList, const std::filesystem::path& theBuilds,
    std::initializer_list<const char*> theVersions)
{
    for (const char* version : theVersions) {
        auto* program = new CProgram;
        ScanFile(*program, (theBuilds / version / "Patchwell 5/Patchwell 5.app").c_str(), nullptr);
        theList.Append(program);
    }
}
