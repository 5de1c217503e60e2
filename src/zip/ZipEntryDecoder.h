#pragma once

#include "zip/TraditionalCipher.h"
#include "zip/ZipArchiveFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <zlib.h>

// An entry's data in two stages, so that decryption can run on one thread
// and inflation on another, and both together on one thread with the
// behaviour of libzip's zip_fread. Failures are libzip's error codes, the
// ones its calls give for the same entry at the same point.

// Stage 1: the entry's stored bytes, decrypted.
class CZipEntrySource {
public:
    // Reads and checks the local header against theEntry, reads the 12-byte
    // encryption header and checks the password byte. 0, or the code
    // zip_fopen_index_encrypted/zip_fopen_index would give for that entry
    // (kZipErrorNoPassword, kZipErrorWrongPassword, kZipErrorCompressionNotSupported,
    // kZipErrorEncryptionNotSupported, kZipErrorInconsistent, kZipErrorNotZip, kZipErrorEndOfFile,
    // kZipErrorRead). A null or empty password is none. theArchive and theEntry must
    // outlive the source's use.
    int Open(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword);
    // Up to theSize decrypted stored bytes (after the encryption header):
    // their count, 0 at the end, or -1 with the code in theError.
    int64_t Read(char* pBuffer, size_t theSize, int& theError);
    // Why Open failed, in words (ZipFault.h).
    const std::string& GetFailure() const { return itsFailure; }

private:
    int CheckLocalHeader();
    int StartDecryption(const char* thePassword);
    int Fail(int theCode, const char* theWhat);

    const CZipArchiveFile* itsArchive = nullptr;
    const CZipEntry* itsEntry = nullptr;
    uint64_t itsNext = 0; // file offset of the next stored byte
    uint64_t itsLeft = 0; // stored bytes not yet read
    bool bEncrypted = false;
    CTraditionalCipher itsCipher;
    // The encryption header, when the local header's read brought it along.
    unsigned char itsEncryptionHeader[CTraditionalCipher::kHeaderSize] = {};
    bool bHeaderHeld = false;
    // The first read at the local header: it usually brings the header, its
    // name and extra field, the encryption header and all of a small entry.
    static constexpr size_t kFirstBlockSize = 4096;
    unsigned char itsFirstBlock[kFirstBlockSize];
    uint64_t itsFirstBlockOffset = 0;
    size_t itsFirstBlockLength = 0;
    std::string itsFailure;
};

// Stage 2: stored bytes in, the entry's data out; checks size and CRC.
class CZipEntryInflater {
public:
    CZipEntryInflater() = default;
    ~CZipEntryInflater();
    CZipEntryInflater(const CZipEntryInflater&) = delete;
    CZipEntryInflater& operator=(const CZipEntryInflater&) = delete;

    // After a source's Open succeeded for theEntry, which must outlive the
    // inflation.
    void Start(const CZipEntry& theEntry);
    // Consumes input from pInput/theInputLength (advancing both) and writes
    // up to theSize bytes of data. bLastInput: no more input follows.
    // Returns the bytes written (0 while more input is needed), 0 with
    // IsFinished() at the end, or -1 with the code zip_fread would give at
    // that point: kZipErrorZlib for bad deflate data, kZipErrorCrc for a CRC that
    // does not match at the end, kZipErrorInconsistent for data longer or shorter
    // than the entry declares.
    int64_t Inflate(const char*& pInput, size_t& theInputLength, bool bLastInput, char* pOutput,
        size_t theSize, int& theError);
    bool IsFinished() const { return bFinished; }
    // Why Inflate failed, in words (ZipFault.h).
    std::string GetFailure() const;

private:
    size_t Copy(const char*& pInput, size_t& theInputLength, char* pOutput, size_t theSize);
    size_t Decompress(const char*& pInput, size_t& theInputLength, char* pOutput, size_t theSize);
    // Counts and checksums what was written; -1 once the data outgrows the
    // entry.
    int64_t Produced(const char* pOutput, size_t theCount, int& theError);
    int64_t End(int& theError);
    int64_t Fail(int theCode, std::string theWhat, int& theError);

    const CZipEntry* itsEntry = nullptr;
    std::string itsFailure; // without the entry's place
    z_stream itsStream {};
    bool bStreamReady = false;
    bool bDeflated = false;
    bool bEmpty = false; // nothing stored at all
    bool bInputDone = false; // the stream ended or the input ran out
    bool bFinished = false;
    int itsPendingError = 0; // reported once the data before it is out
    uint64_t itsExpectedSize = 0;
    uint32_t itsExpectedCrc = 0;
    uint64_t itsSize = 0;
    uint32_t itsCrc = 0;
};

// The reading loop of both stages together, whatever thread gives the stored
// bytes: the buffer filled but at the end, and like zip_fread the bytes read
// before a failure first and the failure with the next call.
class CInflatingReader {
public:
    // Forgets the last entry, its failure included.
    void Reset();
    void Start(const CZipEntry& theEntry);
    // theNextInput(pData, theError) gives the next stored bytes: their count
    // with pData pointing at them, 0 at their end, or -1 with the code.
    template <typename NextInput>
    int64_t Read(char* pBuffer, size_t theSize, int& theError, NextInput&& theNextInput);
    // The failure a read met, or 0: what zip_fclose gives.
    int Error() const { return itsError; }
    // That failure in words (ZipFault.h).
    std::string GetFailure() const;

private:
    CZipEntryInflater itsInflater;
    const CZipEntry* itsEntry = nullptr;
    bool bInputFailed = false; // the failure is the stored bytes', not the inflater's
    const char* itsPending = nullptr; // input not yet consumed
    size_t itsPendingLength = 0;
    bool bInputDone = false;
    int itsError = 0; // sticky, like a libzip file's error
};

template <typename NextInput>
int64_t CInflatingReader::Read(char* pBuffer, size_t theSize, int& theError, NextInput&& theNextInput)
{
    if (itsError != 0) {
        theError = itsError;
        return -1;
    }
    size_t filled = 0;
    while (filled < theSize && !itsInflater.IsFinished()) {
        int error = 0;
        if (itsPendingLength == 0 && !bInputDone) {
            const int64_t count = theNextInput(itsPending, error);
            if (count < 0) {
                itsError = error;
                bInputFailed = true;
                break;
            }
            bInputDone = count == 0;
            itsPendingLength = static_cast<size_t>(count);
        }
        const int64_t count = itsInflater.Inflate(
            itsPending, itsPendingLength, bInputDone, pBuffer + filled, theSize - filled, error);
        if (count < 0) {
            itsError = error;
            break;
        }
        filled += static_cast<size_t>(count);
    }
    if (filled > 0)
        return static_cast<int64_t>(filled);
    if (itsError != 0) {
        theError = itsError;
        return -1;
    }
    return 0;
}

// Both stages on one thread, with zip_fread's and zip_fclose's behaviour.
class CZipEntryDecoder {
public:
    int Open(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword);
    // Fills pBuffer but at the end: like zip_fread, the bytes read before a
    // failure come first and the failure with the next call.
    int64_t Read(char* pBuffer, size_t theSize, int& theError);
    // Like zip_fclose: 0, or the code of the failure a read met.
    int Close();
    // Why Open, Read or Close failed, in words (ZipFault.h).
    std::string GetFailure() const;

private:
    static constexpr size_t kInputSize = 32 * 1024;

    CZipEntrySource itsSource;
    bool bOpenFailed = false;
    CInflatingReader itsReader;
    std::unique_ptr<char[]> itsInput;
    bool bOpen = false;
};
