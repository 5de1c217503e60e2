#pragma once

// The window's texts of our own (beyond its dialog resources), by their
// numbers in the application's resources (resources/app.json), so that a
// language file translates them.
enum WindowText {
    kTextNoBlocks = 11040,
    kTextNoArchiveIn,
    kTextExitQuestion,
    kTextNotAValidPath,
    kTextAlreadyInList,
    kTextVersion,
    kTextVersionAndDate,
    kTextTopicNotFound,
    kTextNoHelpFolder,

    kTextNoValidProgramIn = 11020, // shared with the console
    kTextFileOfFiles = 11035, // shared with the console
};
