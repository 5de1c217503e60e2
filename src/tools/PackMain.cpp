// patchwell-pack: the vendor's side of an update kit.

#include "tools/PackCommands.h"

#include <cstdio>
#include <cstring>

namespace {

struct PackCommand {
    const char* itsName;
    const char* itsArguments;
    const char* itsSummary;
    int (*itsRun)(int theCount, char** theArgs);
};

const PackCommand kCommands[] = {
    { "archive", "OUT.zip FOLDER",
        "pack FOLDER's contents under \"NewFiles/\", deflated and protected with the key text",
        RunArchiveCommand },
    { "data", "OUT.txt FOLDER...",
        "write the data file of the valid builds: every copy of Patchwell in the folders of each FOLDER",
        RunDataCommand },
    { "dump", "DATA.txt", "print the records of a data file as plain text", RunDumpCommand },
    { "kit",
        "OUTDIR --data FOLDER... --new FOLDER [--readme FILE] [--name NAME] [--archive]\n"
        "      [--sign KEYFILE]",
        "make a complete updater folder: the updater and its launcher, NAME.zip of the new build,\n"
        "      data.txt, readme.txt, Help, languages; with --sign also signature.txt, signed with the\n"
        "      secret key in KEYFILE; with --archive also the kit archive OUTDIR.pwkit of it, file modes\n"
        "      kept",
        RunKitCommand },
    { "keygen", "KEYFILE",
        "make a key pair for signing kits: the secret key goes to the new file KEYFILE (mode 0600),\n"
        "      the public key, one line of base64, to standard output",
        RunKeygenCommand },
    { "sign", "KITDIR --key KEYFILE",
        "write (or replace) the signature.txt of the kit in KITDIR, signed with the secret key in KEYFILE",
        RunSignCommand },
    { "verify", "KITDIR --key PUBLIC",
        "check the kit in KITDIR without installing it: signature.txt is signed by a key of PUBLIC\n"
        "      (a file of public keys, one a line, or one key in base64) and lists exactly the files\n"
        "      the updater reads, each with its size and SHA-256",
        RunVerifyCommand },
};

const char kExitStatuses[] = "exit status:\n"
                             "  0  done\n"
                             "  1  failed: the reason is on standard error, and nothing was left half made\n"
                             "  2  the command line is wrong\n";

void PrintUsage(FILE* theStream)
{
    std::fprintf(theStream, "usage: patchwell-pack COMMAND ARGUMENTS...\n\ncommands:\n");
    for (const PackCommand& command : kCommands)
        std::fprintf(
            theStream, "  %s %s\n      %s\n", command.itsName, command.itsArguments, command.itsSummary);
    std::fprintf(theStream, "\noptions: --help, --version; an option's value may follow it after '='\n\n%s",
        kExitStatuses);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return kPackDone;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("patchwell-pack %s\n", PW_VERSION);
        return kPackDone;
    }
    if (argc < 2) {
        PrintUsage(stderr);
        return kPackBadUsage;
    }
    for (const PackCommand& command : kCommands) {
        if (std::strcmp(argv[1], command.itsName) != 0)
            continue;
        if (argc == 3 && std::strcmp(argv[2], "--help") == 0) {
            std::printf("usage: patchwell-pack %s %s\n  %s\n\n%s", command.itsName, command.itsArguments,
                command.itsSummary, kExitStatuses);
            return kPackDone;
        }
        return command.itsRun(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "patchwell-pack: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return kPackBadUsage;
}
