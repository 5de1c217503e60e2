#pragma once

// The texts of the command line and the console, by their numbers in the
// application's resources (resources/app.json), so that a language file
// translates them. The English texts live there, not here.
enum AppText {
    kTextTryHelp = 11000,
    kTextOptionTakesNoValue,
    kTextOptionNeedsValue,
    kTextUnknownOption,
    kTextListWithApply,
    kTextForceWithoutApply,
    kTextVerboseWithoutApply,
    kTextNamedFolderProblem, // the folder '%s' named by %s %s.
    kTextDoesNotExist,
    kTextIsNotAFolder,
    kTextCannotWriteDiagnostics,
    kTextCannotOpenDisplay,
    kTextNoDisplay,
    kTextWithoutWindowHint,
    kTextNoWaylandPlatform,
    kTextJsonWithoutListOrApply,
    kTextOneKitOnly,
    kTextKitNamedTwice,
    kTextQuietWithoutApply,
    kTextQuietWithVerbose,

    kTextNoValidProgram = 11020, // shared with the window's message
    kTextUseForce,
    kTextUpdateDone,
    kTextUpdateFailed,
    kTextLogPath,
    kTextBackupPath,
    kTextDataFileProblem,
    kTextNoArchive,
    kTextFolderIs, // the folder '%s' %s
    kTextListHint,
    kTextUpdating,
    kTextNoCopiesFound,
    kTextMatchesValidBuild,
    kTextMatchesNoValidBuild,
    kTextNotAKnownBuild,
    kTextFileCounter, // shared with the progress page
    kTextNameTheCopyFolder,
    kTextCancelled,
    kTextCancelRestored,
    kTextCancelUnchanged,

    kTextDisplaySilent = 11140, // the display '%s' did not answer within %d seconds
    kTextNoKitHint,
    kTextNoCopiesHint,
    kTextKitArchiveRefused, // the kit archive '%s' is refused: %s.

    kTextUsage = 11100,
    kTextKitHint,
};
