#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

struct EnvironmentEntry {
    const char* itsName;
    const char* itsValue;
};

// Private HOME and XDG folders (no test touches the real user folders), the
// programs under test and the source folder, as the build wrote them. Set
// here and not only by CTest, so a test program started by hand finds them.
const EnvironmentEntry kTestEnvironment[] = {
#include "TestEnvironment.inc"
};

} // namespace

// The sanitizers read their options before main; the environment set below
// reaches only the programs the tests start.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" PW_LSAN_SUPPRESSIONS;
}

// Without its tracking of __tls_get_addr: see ASAN_OPTIONS in CMakeLists.txt.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

int main(int argc, char** argv)
{
    for (const EnvironmentEntry& entry : kTestEnvironment) {
        // A test program started again on another screen keeps the offscreen
        // platform's options that describe that screen.
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        if (std::strcmp(entry.itsName, "QT_QPA_PLATFORM") == 0 && platform
            && std::strncmp(platform, "offscreen:", 10) == 0)
            continue;
        setenv(entry.itsName, entry.itsValue, 1);
    }
    // Death tests fork; "threadsafe" re-executes the test program so a death
    // test never inherits half-finished state from another thread.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
