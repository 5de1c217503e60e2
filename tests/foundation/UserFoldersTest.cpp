#include "foundation/UserFolders.h"
#include "support/ScopedVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(UserFolders, FollowXdgWhenAbsoluteAndAreNothingWithoutAHome)
{
    {
        CScopedVariable config("XDG_CONFIG_HOME", "/config/here");
        EXPECT_EQ(PreferencesFolder(), Cstring("/config/here/Patchwell"));
        config.Set("relative"); // not absolute: ignored
        EXPECT_EQ(
            PreferencesFolder(), Cstring((std::string(std::getenv("HOME")) + "/.config/Patchwell").c_str()));
    }
    EXPECT_TRUE(DocumentsFolder().IsNotEmpty());
    CScopedVariable desktop("XDG_DESKTOP_DIR", "/somewhere/Desk");
    EXPECT_EQ(DesktopFolder(), Cstring("/somewhere/Desk"));

    CScopedVariable home("HOME", "");
    CScopedVariable config("XDG_CONFIG_HOME", "");
    CScopedVariable documents("XDG_DOCUMENTS_DIR", "");
    desktop.Set("");
    // Without a home, never a folder relative to whatever the working folder happens to be.
    EXPECT_TRUE(PreferencesFolder().IsEmpty());
    EXPECT_TRUE(DocumentsFolder().IsEmpty());
    EXPECT_TRUE(DesktopFolder().IsEmpty());
}
