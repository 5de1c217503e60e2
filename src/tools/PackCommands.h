#pragma once

// The subcommands of patchwell-pack. Each gets the arguments after its own
// name and returns the process's exit status: 0 done, 1 failed (the reason
// is on standard error), 2 bad usage. A new subcommand is one function here
// and one row in the table of PackMain.cpp.

enum PackExitStatus {
    kPackDone = 0,
    kPackFailed = 1,
    kPackBadUsage = 2,
};

// archive OUT.zip FOLDER
int RunArchiveCommand(int theCount, char** theArgs);
// data OUT.txt FOLDER...
int RunDataCommand(int theCount, char** theArgs);
// dump DATA.txt
int RunDumpCommand(int theCount, char** theArgs);
// kit OUTDIR --data FOLDER... --new FOLDER [--readme FILE] [--name NAME] [--archive] [--sign KEYFILE]
int RunKitCommand(int theCount, char** theArgs);
// keygen KEYFILE
int RunKeygenCommand(int theCount, char** theArgs);
// sign KITDIR --key KEYFILE
int RunSignCommand(int theCount, char** theArgs);
// verify KITDIR --key PUBLIC
int RunVerifyCommand(int theCount, char** theArgs);
