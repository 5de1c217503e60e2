#pragma once

#include <functional>
#include <memory>
#include <string>

class CWindow;

// What a program that takes pictures of the windows needs of the toolkit,
// without seeing it: the wizard's screenshots for a person with no display.

// Saves theWindow as it is on screen to thePath, a PNG; false when it has no
// widget or the file cannot be written.
bool SaveWindowPicture(const CWindow& theWindow, const std::string& thePath);

// Lets the toolkit lay out and paint what is waiting.
void DeliverPendingEvents();
// Deletes the windows closed since, which the toolkit deletes late.
void DeleteClosedWindows();

// Calls theCheck from the event loop every theMilliseconds while it lives,
// also inside the modal loops that a run or a question holds.
class CRepeatedCheck {
public:
    CRepeatedCheck(int theMilliseconds, std::function<void()> theCheck);
    ~CRepeatedCheck();
    CRepeatedCheck(const CRepeatedCheck&) = delete;
    CRepeatedCheck& operator=(const CRepeatedCheck&) = delete;

private:
    struct Timer;
    std::unique_ptr<Timer> itsTimer;
};

// With nobody to answer: each question that shows is printed on standard
// error after theProgram's name and closed as by Escape.
std::unique_ptr<CRepeatedCheck> AnswerQuestionsByEscape(const char* theProgram);

// Keeps the offscreen platform's notes on what it cannot do off standard
// error; the toolkit's warnings still reach it.
void QuietenToolkitNotes();
