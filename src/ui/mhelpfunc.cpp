#include "ui/mhelpfunc.h"

#include "foundation/Cstring.h"
#include "foundation/ProfileSettings.h"
#include "foundation/ProgramFolders.h"
#include "platform/DesktopServices.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "platform/TextFormat.h"
#include "ui/WindowTexts.h"

#include <cstring>

namespace {

const char kHelpFolder[] = "Help";
const char kHelpIndex[] = "astart.htm";
const char kUrlPrefix[] = "FILE://";
const int kCautionFlags = 3;

Cstring HelpFolder()
{
    return Cstring::Path(BaseProgramPath, kHelpFolder);
}

void TopicNotFound(const Cstring& thePath)
{
    MessageBox(FormatText(kTextTopicNotFound, thePath.GetText()).GetText(), kCautionFlags);
}

// Opens thePath (a page of the help folder) with theAnchor in the browser,
// or says that the topic is not there.
void OpenHelpPage(const Cstring& thePath, const char* theAnchor)
{
    if (!LiesInside(thePath.GetText(), HelpFolder().GetText())) {
        TopicNotFound(thePath);
        return;
    }
    Cstring url(kUrlPrefix, thePath.GetText());
    if (theAnchor && *theAnchor) {
        url += "#";
        url += theAnchor;
    }
    OpenURL(url.GetText());
}

// theText without a leading theFolder and the separator after it, ignoring case.
const char* AfterFolder(const char* theText, const char* theFolder)
{
    const size_t length = std::strlen(theFolder);
    if (length > 0 && std::strlen(theText) > length
        && CompareNoCaseN(theText, theFolder, static_cast<int>(length)) == 0 && theText[length] == gPathSep)
        return theText + length + 1;
    return theText;
}

// Joins the pieces that are not empty with one separator each.
Cstring JoinParts(std::initializer_list<const char*> theParts)
{
    Cstring path;
    for (const char* part : theParts)
        if (part && *part)
            path = path.IsEmpty() ? Cstring(part) : Cstring::Path(path, part);
    return path;
}

} // namespace

void ShowHelpIndex()
{
    ShowHelpFile(kHelpFolder, kHelpIndex);
}

void ShowHelpFile(const char* theFolder, const char* theFile)
{
    ChangeDirectory(BaseProgramPath.GetText());
    const Cstring folder = Cstring::Path(BaseProgramPath, theFolder ? theFolder : "");
    Cstring pagePath;
    if (MakeFileSpec(folder.GetText(), theFile, pagePath) != 0
        || !LiesInside(pagePath.GetText(), BaseProgramPath.GetText())) {
        MessageBox(TextOf(kTextNoHelpFolder).GetText(), kCautionFlags);
        return;
    }
    OpenWithCreator(pagePath.GetText());
}

void ShowHelpTopic(const char* theTopic, const char* theAnchor)
{
    Cstring path = Cstring::Path(HelpFolder(), theTopic ? theTopic : "");
    // The topic's own name decides, not a dot elsewhere in the program
    // folder's path (a folder such as "Patchwell 5.0").
    const char* name = std::strrchr(theTopic ? theTopic : "", gPathSep);
    if (!std::strchr(name ? name : theTopic ? theTopic : "", '.'))
        path += ".htm";
    FixSeparators(path);
    OpenHelpPage(path, theAnchor);
}

void ShowHelpTopicByID(int theTopicId, int theAnchorId)
{
    const Cstring topic = LoadString(theTopicId);
    const Cstring anchor = theAnchorId > 0 ? LoadString(theAnchorId) : Cstring();
    ShowHelpTopic(topic.GetText(), anchor.GetText());
}

void ShowHelpTopicURL(const char* theTopic)
{
    Cstring path = Cstring::Path(HelpFolder(), theTopic ? theTopic : "");
    Cstring anchor;
    if (char* hash = std::strchr(path.GetBuffer(), '#')) {
        anchor = hash + 1;
        *hash = 0;
    }
    OpenHelpPage(path, anchor.GetText());
}

void ShowHelpTopicURLByID(int theStringId)
{
    ShowHelpTopicURL(LoadString(theStringId).GetText());
}

void ShowBlockInstructions(const char* theBlockPath)
{
    const char* rest = AfterFolder(theBlockPath ? theBlockPath : "", BaseProgramPath.GetText());
    rest = AfterFolder(rest, "Blocks");

    Cstring directories;
    Cstring name(rest);
    if (const char* last = std::strrchr(rest, gPathSep)) {
        if (last > rest)
            directories.Assign(rest, static_cast<int>(last - rest));
        name = last + 1;
    }
    Cstring top(directories);
    Cstring below;
    if (char* first = std::strchr(top.GetBuffer(), gPathSep)) {
        below = first + 1;
        *first = 0;
    }
    if (EndsWithNoCase(name.GetText(), ".blk"))
        *name.CharAt(name.Length() - 4) = 0;

    Cstring path
        = JoinParts({ HelpFolder().GetText(), top.GetText(), "SewInst", below.GetText(), name.GetText() });
    path += ".htm";
    OpenHelpPage(path, nullptr);
}

void OpenURL(const char* theUrl)
{
    const char* rest = theUrl ? theUrl : "";
    const size_t prefix = std::strlen(kUrlPrefix);
    while (std::strlen(rest) >= prefix && CompareNoCaseN(rest, kUrlPrefix, static_cast<int>(prefix)) == 0)
        rest += prefix;
    LaunchBrowser(rest);
}

void OpenURLByID(int theStringId)
{
    OpenURL(LoadString(theStringId).GetText());
}
