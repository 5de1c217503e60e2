#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes; tests never write anywhere else.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return itsPath; }
    std::string operator/(const std::string& theName) const { return (itsPath / theName).string(); }

    // Writes theContents to a file under the folder, creating parent folders.
    std::string Write(const std::string& theName, const std::string& theContents) const;

private:
    std::filesystem::path itsPath;
};

std::string ReadWholeFile(const std::string& thePath);
