#include "QtFixture.h"

namespace {

int gArgc = 1;
char gProgram[] = "qt_tests";
char* gArgv[] = { gProgram, nullptr };
CQtHost* gHost = nullptr;

class QtEnvironment : public testing::Environment {
public:
    void TearDown() override
    {
        delete gHost;
        gHost = nullptr;
    }
};

[[maybe_unused]] testing::Environment* const gEnvironment
    = testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

CQtHost& QtHost()
{
    if (!gHost)
        gHost = new CQtHost(gArgc, gArgv);
    return *gHost;
}
