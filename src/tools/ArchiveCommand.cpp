#include "engine/UpdateKit.h"
#include "tools/ArchiveWriter.h"
#include "tools/PackCommands.h"

#include <cstdio>

int RunArchiveCommand(int theCount, char** theArgs)
{
    if (theCount != 2) {
        std::fprintf(stderr, "usage: patchwell-pack archive OUT.zip FOLDER\n");
        return kPackBadUsage;
    }
    Cstring password;
    BuildDataKeyText(password);
    Cstring error;
    CArchiveWriter writer;
    if (!writer.Write(theArgs[0], theArgs[1], "NewFiles/", password.GetText(), error)) {
        std::fprintf(stderr, "patchwell-pack archive: %s\n", error.GetText());
        return kPackFailed;
    }
    return kPackDone;
}
