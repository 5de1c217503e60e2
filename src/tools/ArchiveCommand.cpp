#include "engine/UpdateKit.h"
#include "tools/ArchiveWriter.h"
#include "tools/PackCommands.h"

#include <cstdio>

int RunArchiveCommand(int theCount, char** theArgs)
{
    CCommandLine line({});
    if (!ReadPackArguments("archive", line, theCount, theArgs,
            { { "OUT.zip", "the archive to write" }, { "FOLDER", "the folder to pack" } }))
        return kPackBadUsage;
    const char* archive = line.Operands()[0];
    const char* folder = line.Operands()[1];
    Cstring password;
    BuildDataKeyText(password);
    Cstring error;
    CArchiveWriter writer;
    if (!writer.Write(archive, folder, "NewFiles/", password.GetText(), error)) {
        std::fprintf(stderr, "patchwell-pack archive: %s\n", error.GetText());
        return kPackFailed;
    }
    return kPackDone;
}
