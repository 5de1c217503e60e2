#include "platform/LanguageFiles.h"
#include "platform/Resources.h"
#include "platform/TextFormat.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

namespace {

std::filesystem::path SourceFolder()
{
    const char* source = std::getenv("PW_SOURCE_DIR");
    return source ? source : ".";
}

nlohmann::json ReadJson(const std::filesystem::path& thePath)
{
    return nlohmann::json::parse(ReadWholeFile(thePath), nullptr, false);
}

// Names and file names that a translation leaves as they are: the program's
// name and edition, the splash's title and the settings file's name.
const std::set<int> kUntranslated = { 10000, 10001, 10006, 10010 };

} // namespace

TEST(LanguageFiles, TheLocaleChoosesTheFile)
{
    TempFolder temp;
    const Cstring installed = (temp / "share").c_str();
    const Cstring kit = (temp / "kit").c_str();
    for (const char* file : { "share/de.json", "kit/de_CH.json", "kit/fr.json", "kit/en_GB.json" })
        temp.Write(file, "{}");
    std::filesystem::create_directories(temp / "kit/it.json"); // a folder is no file
    struct {
        LocaleVariables itsLocale;
        const char* itsFile; // relative to temp, "" for English
    } const cases[] = {
        { { nullptr, nullptr, nullptr, "de_DE.UTF-8" }, "share/de.json" },
        { { nullptr, nullptr, nullptr, "de_CH.UTF-8@euro" }, "kit/de_CH.json" },
        { { nullptr, nullptr, "fr_FR", "de_DE" }, "kit/fr.json" },
        { { nullptr, "de_AT", "fr_FR", "fr_FR" }, "share/de.json" },
        { { "es:fr:de", nullptr, nullptr, "de_DE" }, "kit/fr.json" },
        { { "es:", nullptr, nullptr, "de_DE.UTF-8" }, "share/de.json" },
        { { "en_US:de", nullptr, nullptr, "de_DE" }, "" },
        { { "en_GB:de", nullptr, nullptr, "" }, "kit/en_GB.json" },
        { { nullptr, "C", nullptr, "de_DE" }, "" },
        { { nullptr, "", "POSIX", "de_DE" }, "" },
        { { "it", nullptr, nullptr, "es_ES" }, "" },
        { { "x/../../kit/fr:de", nullptr, nullptr, nullptr }, "share/de.json" },
        { { nullptr, nullptr, nullptr, nullptr }, "" },
    };
    for (const auto& test : cases) {
        const Cstring found = FindLanguageFile(test.itsLocale, { installed, kit });
        const std::string expected = *test.itsFile ? temp / test.itsFile : "";
        EXPECT_EQ(std::string(found.GetText()), expected)
            << "LANGUAGE=" << (test.itsLocale.itsLanguage ? test.itsLocale.itsLanguage : "(unset)")
            << " LC_ALL=" << (test.itsLocale.itsAll ? test.itsLocale.itsAll : "(unset)")
            << " LANG=" << (test.itsLocale.itsLang ? test.itsLocale.itsLang : "(unset)");
    }
}

// Every text, dialog and menu of the application's own resources is in each
// language file we ship, with the same items and the same printf conversions:
// a text that is missing shows in English, a dialog item that is missing is
// missing from the window.
TEST(LanguageFiles, ShippedFilesTranslateEveryText)
{
    CResFile app;
    const nlohmann::json english = ReadJson(SourceFolder() / "resources/app.json");
    ASSERT_TRUE(english.is_object());
    std::set<int> textIds;
    for (const auto& [id, list] : english["STR#"].items())
        for (size_t entry = 0; entry < list.size(); ++entry)
            if (!list[entry].get<std::string>().empty())
                textIds.insert(std::stoi(id) + static_cast<int>(entry));
    for (const auto& [id, text] : english["TEXT"].items())
        textIds.insert(std::stoi(id));

    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SourceFolder() / "resources/languages")) {
        ++files;
        const std::string name = entry.path().filename().string();
        CResFile language(entry.path().c_str());
        ASSERT_TRUE(language.IsOpen()) << name;
        for (const int id : textIds) {
            if (kUntranslated.count(id))
                continue;
            const Cstring text = LoadText(&language, id);
            if (text.IsEmpty()) {
                ADD_FAILURE() << name << " lacks text " << id << " (or it is over 255 bytes)";
                continue;
            }
            EXPECT_EQ(FormatConversions(text.GetText()), FormatConversions(LoadText(&app, id).GetText()))
                << name << ", text " << id;
        }
        const nlohmann::json translated = ReadJson(entry.path());
        for (const char* type : { "DLOG", "DITL", "MENU", "MBAR" })
            for (const auto& [id, resource] : english[type].items()) {
                ASSERT_TRUE(translated[type].contains(id)) << name << " lacks " << type << " " << id;
                const nlohmann::json& ours = translated[type][id];
                if (std::string(type) == "DITL") {
                    ASSERT_EQ(ours.size(), resource.size()) << name << ", item list " << id;
                    for (size_t i = 0; i < resource.size(); ++i) {
                        EXPECT_EQ(ours[i]["id"], resource[i]["id"]) << name << ", item list " << id;
                        EXPECT_EQ(ours[i]["kind"], resource[i]["kind"]) << name << ", item list " << id;
                        EXPECT_EQ(ours[i].value("text", "").empty(), resource[i].value("text", "").empty())
                            << name << ", item " << resource[i]["id"] << " of list " << id;
                    }
                } else if (std::string(type) == "MENU") {
                    ASSERT_EQ(ours["items"].size(), resource["items"].size()) << name << ", menu " << id;
                    for (size_t i = 0; i < resource["items"].size(); ++i)
                        EXPECT_EQ(ours["items"][i].value("command", nlohmann::json()),
                            resource["items"][i].value("command", nlohmann::json()))
                            << name << ", menu " << id << " item " << i;
                } else if (std::string(type) == "MBAR") {
                    EXPECT_EQ(ours, resource) << name << ", menu bar " << id;
                }
            }
    }
    EXPECT_GE(files, 1) << "the German file ships";
}
