#pragma once

#include "engine/KitSignature.h"
#include "foundation/Cstring.h"

#include <string>
#include <vector>

// Whose signature an update of one installed copy needs. Trust comes from
// what is already installed or from the administrator, never from a kit:
// the keys that the copy's bundle names (its Info.plist's
// "PWUpdateSigningKey", one or more keys apart by blanks), the keys of the
// administrator's files, and those given for one run.
struct TrustOptions {
    std::vector<Ed25519Key> itsExtraKeys; // --trusted-key
    bool bRequireSignature = false; // an unsigned kit is refused even when no key is named
    bool bAllowDowngrade = false; // a signed kit may bring a build older than the installed one
};

// The administrator's files of trusted keys, one key a line.
constexpr char kSystemTrustedKeys[] = "/etc/patchwell/trusted-keys";
constexpr char kTrustedKeysName[] = "trusted-keys"; // in the settings folder

// The keys trusted for the copy in theTarget; false with theProblem when a
// place that names keys names one badly (a key that cannot be read must not
// pass for no key at all).
bool TrustedKeysFor(const char* theTarget, const TrustOptions& theOptions, std::vector<Ed25519Key>& theKeys,
    std::string& theProblem);

// The keys that the bundle's Info.plist text names.
bool KeysInInfoList(const std::string& theText, std::vector<Ed25519Key>& theKeys, std::string& theProblem);

// Whether the build date theNew ("YYYY/MM/DD hh:mm:ss") is older than
// theInstalled; dates that do not read as dates are not compared.
bool IsOlderBuild(const char* theNew, const char* theInstalled);
