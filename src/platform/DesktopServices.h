#pragma once

#include "foundation/Cstring.h"

// The desktop's open-file and open-URL facilities, and the file services the
// help viewer calls on its way to them.

// Makes thePath the process's working folder; false when it cannot.
bool ChangeDirectory(const char* thePath);

// Where theName lies in theFolder: 0 and the file's path in
// theSpec when the file is there; -120 when the folder is missing, -43 when
// the file is.
int MakeFileSpec(const char* theFolder, const char* theName, Cstring& theSpec);

// True when thePath names an existing item that lies below theFolder once
// links and ".." are resolved, so that a name from outside cannot reach past
// the folder.
bool LiesInside(const char* thePath, const char* theFolder);

// A "file://" URL for an absolute path, the bytes outside the unreserved set
// percent-encoded, then "#" and theAnchor when one is given.
Cstring FileUrl(const char* thePath, const char* theAnchor = nullptr);

// Opens a file in the desktop's application for its kind; 0, or -43 when the
// desktop would not take it.
int OpenWithCreator(const char* thePath);

// Hands a URL to the web browser. A plain absolute path, optionally followed
// by "#" and an anchor, is made a file URL first.
void LaunchBrowser(const char* theUrl);
