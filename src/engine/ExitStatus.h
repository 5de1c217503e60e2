#pragma once

// The exit statuses of patchwell-updater. A run in the window ends the
// program with the status that --apply gives for the same run.
enum UpdaterExitStatus {
    kExitDone = 0, // listed, updated, or already up to date
    // The update changed the installation and then failed (the log says
    // whether it was put back), or the user stopped it.
    kExitFailed = 1,
    kExitUsage = 2, // the command line is wrong
    // The kit, the folder, the copy or the archive does not allow the
    // update; nothing in the installation was changed.
    kExitRefused = 3,
};
// --apply that SIGINT or SIGTERM cancelled, leaving the copy as it was,
// ends as a program that the signal ended would: 128 + the signal (130, 143).
constexpr int kExitSignalBase = 128;
