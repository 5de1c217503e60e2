#include "support/ScopedVariable.h"
#include "zip/ZipRecords.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct Day {
    int itsYear, itsMonth, itsDay;
};

std::string Clock(const struct tm& theTime)
{
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &theTime);
    return text;
}

} // namespace

// An entry's date is a clock time in the zone the archive is read in. The
// conversion starts from the offset of the date before it, so a date on the
// other side of a change of daylight saving must not keep that offset.
TEST(DosTime, EveryClockTimeComesBackAcrossChangesOfDaylightSaving)
{
    // The changes of 2024 in both hemispheres, and a day of each season,
    // visited in turns so that every date follows one of another offset.
    const Day days[] = { { 2024, 3, 31 }, { 2024, 10, 6 }, { 2024, 10, 27 }, { 2024, 4, 7 }, { 2024, 3, 10 },
        { 2024, 7, 1 }, { 2024, 11, 3 }, { 2024, 1, 15 } };
    // Half an hour of daylight saving, an offset in half hours, none at all.
    for (const char* zone : { "Europe/Berlin", "Australia/Lord_Howe", "America/St_Johns", "UTC0" }) {
        SCOPED_TRACE(zone);
        if (std::string(zone) != "UTC0"
            && !std::filesystem::exists(std::string("/usr/share/zoneinfo/") + zone))
            continue;
        {
            CScopedVariable variable("TZ", zone);
            tzset();
            for (int minute = 0; minute < 24 * 60; minute += 5) {
                for (const Day& day : days) {
                    struct tm clock = {};
                    clock.tm_year = day.itsYear - 1900;
                    clock.tm_mon = day.itsMonth - 1;
                    clock.tm_mday = day.itsDay;
                    clock.tm_hour = minute / 60;
                    clock.tm_min = minute % 60;
                    clock.tm_sec = minute % 60 & ~1;
                    const auto dosTime = static_cast<uint16_t>(
                        (clock.tm_hour << 11) | (clock.tm_min << 5) | (clock.tm_sec >> 1));
                    const auto dosDate = static_cast<uint16_t>(
                        ((day.itsYear - 1980) << 9) | (day.itsMonth << 5) | day.itsDay);
                    const time_t converted = zip_records::DosToTime(dosTime, dosDate);

                    // A clock time that the change skips has no instant to
                    // come back to.
                    struct tm probe = clock;
                    probe.tm_isdst = -1;
                    const time_t existing = mktime(&probe);
                    struct tm back, seen;
                    ASSERT_TRUE(localtime_r(&existing, &back));
                    if (Clock(back) != Clock(clock)) {
                        EXPECT_NE(converted, -1) << Clock(clock);
                        continue;
                    }
                    ASSERT_TRUE(localtime_r(&converted, &seen));
                    EXPECT_EQ(Clock(seen), Clock(clock));
                    EXPECT_EQ(zip_records::TimeToDosTime(converted), dosTime) << Clock(clock);
                }
            }
        }
        tzset();
    }
}
