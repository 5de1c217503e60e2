// patchwell-pack: the vendor's side of an update kit.

#include "tools/PackCommands.h"

#include <cstdio>
#include <cstring>
#include <vector>

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
    std::fprintf(theStream,
        "\noptions: -h, --help; --version; -q, --quiet (say nothing when all went well); an option's\n"
        "value may follow it after '='; '--' ends the options\n\n%s",
        kExitStatuses);
}

std::vector<const char*> CommandNames()
{
    std::vector<const char*> names;
    for (const PackCommand& command : kCommands)
        names.push_back(command.itsName);
    return names;
}

// Whether theArgs ask for help before "--" ends the options.
bool AsksForHelp(const std::vector<char*>& theArgs, size_t theFirst)
{
    for (size_t i = theFirst; i < theArgs.size() && std::strcmp(theArgs[i], "--") != 0; ++i)
        if (std::strcmp(theArgs[i], "--help") == 0 || std::strcmp(theArgs[i], "-h") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // --quiet is the whole program's, wherever it stands before "--".
    std::vector<char*> args;
    bool bOptionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const bool bQuiet = std::strcmp(argv[i], "--quiet") == 0 || std::strcmp(argv[i], "-q") == 0;
        if (!bOptionsEnded && bQuiet) {
            SetPackQuiet(true);
            continue;
        }
        bOptionsEnded |= std::strcmp(argv[i], "--") == 0;
        args.push_back(argv[i]);
    }
    if (args.empty()) {
        PrintUsage(stderr);
        return kPackBadUsage;
    }
    if (AsksForHelp(args, 0) && args[0][0] == '-') {
        PrintUsage(stdout);
        return kPackDone;
    }
    if (std::strcmp(args[0], "--version") == 0) {
        std::printf("patchwell-pack %s\n", PW_VERSION);
        return kPackDone;
    }
    for (const PackCommand& command : kCommands) {
        if (std::strcmp(args[0], command.itsName) != 0)
            continue;
        if (AsksForHelp(args, 1)) {
            std::printf("usage: patchwell-pack %s %s\n  %s\n\n%s", command.itsName, command.itsArguments,
                command.itsSummary, kExitStatuses);
            return kPackDone;
        }
        return command.itsRun(static_cast<int>(args.size()) - 1, args.data() + 1);
    }
    if (args[0][0] == '-')
        std::fprintf(stderr, "patchwell-pack: unknown option '%s'\n", args[0]);
    else if (const char* nearest = NearestName(args[0], CommandNames()))
        std::fprintf(stderr, "patchwell-pack: unknown command '%s'; did you mean '%s'?\n", args[0], nearest);
    else
        std::fprintf(stderr, "patchwell-pack: unknown command '%s'\n", args[0]);
    std::fprintf(stderr, "Try 'patchwell-pack --help' for the commands.\n");
    return kPackBadUsage;
}
