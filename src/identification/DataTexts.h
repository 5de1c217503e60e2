#pragma once

// What is wrong with the program data file, in the person's words, by the
// numbers of the texts in the application's resources (resources/app.json).
enum DataText {
    kTextDataUnreadable = 11080,
    kTextDataLineDamaged,
    kTextDataLinesDamaged,
    kTextDataEmpty,
    kTextDataCannotOpen,
};
