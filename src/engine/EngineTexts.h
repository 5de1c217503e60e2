#pragma once

// The run's texts for the person, by their numbers in the application's
// resources (resources/app.json), so that a language file translates them.
// The lines of the update log stay the program's own, in English: they are
// read by whoever supports the user, and tests and tools compare them.
enum EngineText {
    kTextUpdatedFolder = 11060,
    kTextLogIsIn,
    kTextPreviousRestored,
    kTextPreviousNotRestored,
    kTextNothingChanged,
    kTextBackupKeptAs,
    kTextArchiveWrongKey,
    kTextArchiveDamaged,
    kTextAbortQuestion, // kAbortQuestion, where the person is asked
    kTextUnknownSigner,
    kTextSignatureRequired,
    kTextNotSignedByMaker,
    kTextOlderBuild,
    kTextSignedByMaker,
    kTextUnableToOpen,
    kTextUnableToLock,
    kTextRunningElsewhere,
    kTextRunningElsewhereUnknown,
    kTextAlreadyUpToDate,

    kTextUncheckedOrigin = 11049, // kUncheckedOrigin, in the person's language
    kTextNoLogFile = 11120,
    kTextHistoryUnwritable,
    kTextNoHomeFolder,
    kTextNoLogFileReason, // %s cannot be made: %s.
    kTextRunByOwner, // the folder %s belongs to the user %s ...
};
