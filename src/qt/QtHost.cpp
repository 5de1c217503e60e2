#include "qt/QtHost.h"

std::unique_ptr<CHost> MakeWindowHost(int&, char**)
{
    return nullptr;
}
