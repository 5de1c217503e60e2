#pragma once

// Help is a folder of HTML pages beside the program ("Help" in the program
// folder, BaseProgramPath); the desktop's browser shows them. A missing folder
// or page is told to the user and nothing opens; no name, however it is
// spelled, opens a file outside the help folder.

// The main window's message that opens the help index (the Help menu, F1).
const int kMsgShowHelp = 120;
// The main window's timer that shows a pending help topic.
const int kHelpTopicTimer = 1003;

// "astart.htm" in the help folder.
void ShowHelpIndex();
// theFile in theFolder below the program folder.
void ShowHelpFile(const char* theFolder, const char* theFile);
// A page of the help folder, ".htm" added when the topic's name has no ".";
// theAnchor may be null or empty.
void ShowHelpTopic(const char* theTopic, const char* theAnchor);
// Topic and anchor from the language strings; theAnchorId 0 for none.
void ShowHelpTopicByID(int theTopicId, int theAnchorId);
// A page of the help folder through the URL launcher, the topic used as given.
void ShowHelpTopicURL(const char* theTopic);
void ShowHelpTopicURLByID(int theStringId);
// The sewing instructions page of a block file: Blocks/Stars/Eight/Lemoyne.blk
// below the program folder has Help/Stars/SewInst/Eight/Lemoyne.htm.
void ShowBlockInstructions(const char* theBlockPath);
// Leading "FILE://" prefixes are removed and the rest goes to the browser.
void OpenURL(const char* theUrl);
void OpenURLByID(int theStringId);
