#pragma once

#include <string>

struct ProgramRun {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string output; // standard output and standard error together
};

// Runs theCommand through the shell and collects what it prints.
ProgramRun RunProgram(const std::string& theCommand);

// Quotes theText for the shell.
std::string ShellQuote(const std::string& theText);

// The program named by an environment variable the test build sets
// (PW_UPDATER, PW_PACK), quoted for the shell.
std::string ProgramFromEnvironment(const char* theVariable);
