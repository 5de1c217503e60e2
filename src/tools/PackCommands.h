#pragma once

// The subcommands of patchwell-pack. Each gets the arguments after its own
// name and returns the process's exit status: 0 done, 1 failed (the reason
// is on standard error), 2 bad usage. A new subcommand is one function here
// and one row in the table of PackMain.cpp.

#include "foundation/CommandLine.h"

#include <initializer_list>

enum PackExitStatus {
    kPackDone = 0,
    kPackFailed = 1,
    kPackBadUsage = 2,
};

// An operand of a command: its name in the usage, and what it is.
struct PackOperand {
    const char* itsName;
    const char* itsWhat;
};

// Reads a command's arguments against theLine's options: the operands of
// theOperands, and with bMore as many more of the last as follow. False
// after telling on standard error what is wrong and where the command's
// help is.
bool ReadPackArguments(const char* theCommand, CCommandLine& theLine, int theCount, char** theArgs,
    std::initializer_list<PackOperand> theOperands, bool bMore = false);

// Says on standard error what is wrong with a command's arguments (theFormat
// takes theArgument and theMore) and where its help is; false.
bool RefuseUsage(
    const char* theCommand, const char* theFormat, const char* theArgument, const char* theMore = "");

// With --quiet a command that went well says nothing; what it was asked to
// print (a data file's records, a new public key) it prints all the same.
bool PackQuiet();
void SetPackQuiet(bool bQuiet);

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
