#pragma once

// The reader's error codes. They have the numbers of the zip library that
// the updater once read archives with, because messages and logs show them
// ("Unable to open compressed file (21)") and people compare those lines;
// a test holds each to that library's code of the same meaning.
enum ZipError : int {
    kZipErrorMultiDisk = 1,
    kZipErrorSeek = 4,
    kZipErrorRead = 5,
    kZipErrorCrc = 7,
    kZipErrorNoEntry = 9,
    kZipErrorOpen = 11,
    kZipErrorZlib = 13,
    kZipErrorMemory = 14,
    kZipErrorCompressionNotSupported = 16,
    kZipErrorEndOfFile = 17,
    kZipErrorInvalid = 18,
    kZipErrorNotZip = 19,
    kZipErrorInconsistent = 21,
    kZipErrorEncryptionNotSupported = 24,
    kZipErrorNoPassword = 26,
    kZipErrorWrongPassword = 27,
};
