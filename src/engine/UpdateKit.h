#pragma once

#include "foundation/Cstring.h"
#include "engine/KitSignature.h"
#include "identification/DataKey.h"

#include <string>

// An update kit: the folder an update is taken from, and the files in it
// that the updater reads. Made once at start-up and handed to the window and
// to the run; nothing in it changes afterwards.
struct CUpdateKit {
    Cstring itsFolder; // the updater folder
    Cstring itsArchive; // the update archive, or empty when the folder holds none
    Cstring itsPassword; // the archive's password
    Cstring itsInstallName; // the archive's name without ".zip", or empty
    // data.txt and readme.txt as start-up read them, once: what is parsed and
    // shown is what a signature is checked against, whatever the files hold
    // by the time of a run. Empty names: the file could not be read.
    KitFileDigest itsDataFile;
    std::string itsDataBytes;
    KitFileDigest itsReadmeFile;
    std::string itsReadmeText;

    // The kit in theFolder: its first ".zip" in name order, and the built-in
    // password.
    static CUpdateKit InFolder(const char* theFolder);
    bool HasArchive() const { return itsArchive.IsNotEmpty(); }
    Cstring DataFile() const { return Cstring::Path(itsFolder, "data.txt"); }
    Cstring Readme() const { return Cstring::Path(itsFolder, "readme.txt"); }
    // Reads data.txt and readme.txt, each once (regular files of a bounded
    // size only), with their digests.
    void ReadFiles();
};

// Builds the key text into theKeyText, then returns the path of the first
// entry of theFolder (in name order) whose name ends in ".zip" in any case,
// or the empty text.
Cstring FindUpdateZip(const char* theFolder, Cstring& theKeyText);

// The archive's file name without a ".zip" ending of any case.
Cstring InstallNameFromZipPath(const char* theZipPath);
