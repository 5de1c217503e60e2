#pragma once

// The names an update run gives to what it keeps in the target folder.

constexpr char kBundleName[] = "Patchwell 5.app";
constexpr char kBundleProgramFolder[] = "Patchwell 5.app/Contents/MacOS/";
constexpr char kOldProgramName[] = "Patchwell";
constexpr char kPowerPcName[] = "Patchwell PPC";
constexpr char kLogName[] = "Updater Log File.txt";
// Backups are "Patchwell 5_Backup_NNNN.app"; no entry may start with this.
constexpr char kBackupPrefix[] = "Patchwell 5_Backup_";
// The journal of a run, and the folder its files are unpacked into before
// they are put in place; every name of ours starts with kOwnPrefix.
constexpr char kOwnPrefix[] = ".pwupdate";
constexpr char kJournalName[] = ".pwupdate-journal";
constexpr char kStageName[] = ".pwupdate-stage";
// What an unfinished file is called while it is written over an existing one.
constexpr char kTemporaryPrefix[] = ".pwextract-";
