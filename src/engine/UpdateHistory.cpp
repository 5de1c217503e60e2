#include "engine/UpdateHistory.h"

#include "engine/EngineTexts.h"
#include "foundation/ProgramFolders.h"
#include "foundation/UserFolders.h"
#include "identification/ProgramList.h"
#include "platform/TextFormat.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <string>
#include <unistd.h>

namespace {

void AppendField(std::string& theLine, const char* theField)
{
    theLine += '\t';
    if (!*theField) {
        theLine += '-';
        return;
    }
    for (const char* at = theField; *at; ++at) {
        switch (*at) {
        case '\t':
            theLine += "\\t";
            break;
        case '\n':
            theLine += "\\n";
            break;
        case '\r':
            theLine += "\\r";
            break;
        case '\\':
            theLine += "\\\\";
            break;
        default:
            theLine += *at;
        }
    }
}

// "2026-12-07T05:30:12+01:00": strftime's %z lacks the colon of ISO 8601.
Cstring LocalTimeText(time_t theTime)
{
    struct tm local { };
    char text[40] = "";
    if (!localtime_r(&theTime, &local)
        || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0)
        return Cstring("-");
    const size_t length = std::strlen(text);
    Cstring result;
    result.Assign(text, static_cast<int>(length - 2));
    result.Append(":");
    result.Append(text + length - 2);
    return result;
}

int OpenHistory(const Cstring& thePath)
{
    Cstring folder;
    Cstring name;
    Cstring::SplitPath(thePath, folder, name);
    if (!MakeFolders(folder.GetText()))
        return -1;
    return open(thePath.GetText(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0640);
}

std::atomic<bool> gHistoryFailureTold { false };

} // namespace

Cstring UpdateHistoryPath()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (geteuid() == 0 && !(state && state[0] == '/'))
        return Cstring("/var/log/patchwell-updater.log");
    const Cstring folder = StateFolder();
    return folder.IsEmpty() ? folder : Cstring::Path(folder, "updates.log");
}

Cstring FormatHistoryLine(const UpdateHistoryLine& theLine, time_t theTime)
{
    std::string line = LocalTimeText(theTime).GetText();
    for (const char* field : { PW_VERSION, theLine.itsFolder.GetText(), theLine.itsFromBuild.GetText(),
             theLine.itsToBuild.GetText(), theLine.itsOutcome, theLine.itsLogPath.GetText() })
        AppendField(line, field);
    line += '\n';
    return Cstring(line.c_str());
}

void AppendUpdateHistory(const UpdateHistoryLine& theLine, FILE* pLog)
{
    const Cstring path = UpdateHistoryPath();
    const Cstring line = FormatHistoryLine(theLine, std::time(nullptr));
    int error = ENOENT;
    if (path.IsNotEmpty()) {
        const int file = OpenHistory(path);
        error = errno;
        if (file != -1) {
            // One write: O_APPEND puts the whole line at the end at once.
            const ssize_t written = write(file, line.GetText(), static_cast<size_t>(line.Length()));
            error = written == line.Length() ? 0 : written < 0 ? errno : ENOSPC;
            close(file);
        }
    }
    if (error == 0 || gHistoryFailureTold.exchange(true))
        return;
    const char* where = path.IsNotEmpty() ? path.GetText() : "(no home folder)";
    const Cstring shownWhere = path.IsNotEmpty() ? path : TextOf(kTextNoHomeFolder);
    std::fprintf(stderr, "patchwell-updater: %s\n",
        FormatText(kTextHistoryUnwritable, shownWhere.GetText(), std::strerror(error)).GetText());
    TraceTo(pLog, "The history of updates %s cannot be written - %s\n", where, std::strerror(error));
}
