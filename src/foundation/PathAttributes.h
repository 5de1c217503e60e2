#pragma once

// What a path is, asked of the file system directly: the strings and the
// program folders need it, and they sit below every other service.

enum PathAttributeBits {
    kPathIsLocked = 1, // this user cannot write the item
    kPathIsFolder = 2,
};

// -1 when the path cannot be examined; else a combination of PathAttributeBits.
int GetPathAttributes(const char* thePath);
// Creates one folder; its parent must exist. True on success or when it exists.
bool CreateFolder(const char* thePath);
