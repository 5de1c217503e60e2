#include "engine/UpdateSteps.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

Cstring BackupName(const char* thePath)
{
    Cstring base(thePath);
    Cstring ending;
    const char* dot = std::strrchr(thePath, '.');
    if (dot && dot != thePath) {
        base.Assign(thePath, static_cast<int>(dot - thePath));
        ending = dot;
    }
    const int number = std::rand() % 1000;
    Cstring backup;
    backup.Format("%s_Backup_%04d%s", base.GetText(), number, ending.GetText());
    return backup;
}

bool SetFileTimestamp(const char* thePath, const char* theDateText)
{
    return SetFileTimestampAt(AT_FDCWD, thePath, theDateText);
}

bool SetFileTimestampAt(int theFolder, const char* theName, const char* theDateText)
{
    Cstring digits(theDateText);
    for (char* at = digits.GetBuffer(); *at; ++at)
        if (!std::isdigit(static_cast<unsigned char>(*at)))
            *at = ' ';
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const int count
        = std::sscanf(digits.GetText(), "%d %d %d %d %d %d", &year, &month, &day, &hour, &minute, &second);
    if (count < 1)
        return false;
    std::tm broken {};
    broken.tm_year = year - 1900;
    broken.tm_mon = month - 1;
    broken.tm_mday = day;
    broken.tm_hour = hour;
    broken.tm_min = minute;
    broken.tm_sec = second;
    broken.tm_isdst = -1;
    const std::time_t when = std::mktime(&broken);
    if (when == static_cast<std::time_t>(-1))
        return false;
    const timespec times[2] = { { when, 0 }, { when, 0 } };
    return utimensat(theFolder, theName, times, AT_SYMLINK_NOFOLLOW) == 0;
}
