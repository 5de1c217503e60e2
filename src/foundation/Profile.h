#pragma once

#include "foundation/Cstring.h"
#include "foundation/ProfileEntry.h"
#include "foundation/ProfileSettings.h"

// The settings profile: a registry of entries bound to program variables, filled
// from the profile file in the program folder and then from the one in the
// user's Preferences folder. The updater reads profiles and never writes them.

// Puts pObj in front of the registry, which owns it from then on.
void RegisterEntry(CProfileEntry* pObj);
// The registry's newest entry; follow itsNext for the others.
CProfileEntry* FirstProfileEntry();
// The first registered entry whose key is exactly theKey, or null.
CProfileEntry* FindProfileEntry(const char* theKey);

// Registers every settings entry (once) and sets each variable to its default.
void SetProfileDefaults(long theLengthScale = 100000);
// Reads the program profile, then the user's; theGroup -1 applies every group.
void LoadProfile(int theGroup);
// The value of one registered key read straight from the two files, the
// user's winning; usable before LoadProfile.
Cstring GetProfileString(const char* theKey);
void ClearChanged();
// Apply for every changed entry of theGroup (-1: of every group).
void ApplyProfile(int theGroup);
// Deletes every registered entry; the last step of the program.
void DeleteProfileEntries();

// The profile's file name: resource text 10006 unless one was set before.
const Cstring& ProfileFileName();
void SetProfileFileName(const char* theName);
