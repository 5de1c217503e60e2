#pragma once

#include "identification/ProgramList.h"

#include <cstdio>
#include <string>
#include <vector>

// The program data file: one record a line, each Twofish-enciphered and
// written as base64; every program line ("File=" and the program text) is
// followed by the lines of its parts.

// What a read made of the file, so that a caller can tell a damaged or empty
// file from a good one.
struct CProgramDataReport {
    bool bOpened = false;
    int itsError = 0; // errno value when the file could not be opened
    int itsRecords = 0; // lines read as records
    // Lines that could not be deciphered (cut, altered or not a data file at
    // all), by their number in the file; no record was made of them.
    std::vector<int> itsUnreadableLines;

    // Whether the file yields a trustworthy list: it opened, every line could
    // be read and it holds at least one record.
    bool IsSound() const { return bOpened && itsRecords > 0 && itsUnreadableLines.empty(); }
    // "3, 5-9, 12": the unreadable lines, runs shortened.
    Cstring UnreadableLinesText() const;
    // Why the file cannot be trusted, to follow its name ("cannot be read:
    // No such file or directory", "is damaged: line 4 could not be read",
    // "holds no records"); empty when it is sound. In the program's own
    // words, for reports, and in the person's language.
    Cstring Problem() const;
    Cstring ShownProblem() const;

private:
    void DescribeProblem(Cstring& theOwn, Cstring& theShown) const;
};

// Appends the records of the file at thePath to theList, tracing every step
// to the list's stream. Only a regular file is read. A file that cannot be
// opened leaves the list as it was and is reported in an alert, or in
// *pReport when one is given (the caller then tells the user). Lines that
// cannot be deciphered are skipped; malformed records yield empty ones. With
// pBytes, the file was read already and these are its bytes: a file that is
// checked is then parsed as it was checked, not as it may be by now.
void ReadProgramData(CProgramList& theList, const char* thePath, CProgramDataReport* pReport = nullptr,
    const std::string* pBytes = nullptr);

// Writes theList to thePath, replacing what was there. Returns 1 when the
// file was written; 0 when it could not be, or when a record cannot be read
// back as written (a field holding "|", or a line too long for the reader),
// in which case nothing is touched and pReason, when given, says why.
int WriteProgramData(const CProgramList& theList, const char* thePath, Cstring* pReason = nullptr);

// The plaintext of the data file, one record per line.
void DumpPrograms(const CProgramList& theList, FILE* theStream);
