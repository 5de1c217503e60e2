#include "platform/Resources.h"
#include "platform/DialogTemplate.h"
#include "platform/MenuTemplate.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

class Bundles : public testing::Test {
protected:
    std::unique_ptr<CResFile> Bundle(const std::string& theName, const std::string& theJson)
    {
        return std::make_unique<CResFile>(itsTemp.Write(theName, theJson).c_str());
    }

    // Each case installs its own lookup files.
    CScopedGlobal<CResFile*> itsApp { gAppResFile, nullptr };
    CScopedGlobal<CResFile*> itsLanguage { gLanguageResFile, nullptr };
    CScopedGlobal<CResFile*> itsLibrary { gLibraryResFile, nullptr };
    TempFolder itsTemp;
};

std::string Text(const Cstring& theText)
{
    return theText.GetText();
}

// A string list whose entry n (1-based) is "<prefix>n".
std::string NumberedList(const std::string& thePrefix)
{
    std::string list = "[";
    for (int entry = 1; entry <= 20; ++entry)
        list += (entry > 1 ? ", \"" : "\"") + thePrefix + std::to_string(entry) + "\"";
    return list + "]";
}

} // namespace

TEST_F(Bundles, TextIdsMapOntoStringLists)
{
    auto file = Bundle("a.json",
        "{ \"STR#\": { \"0\": " + NumberedList("zero ") + ", \"20\": " + NumberedList("twenty ")
            + ", \"1000\": [\"OK\"], \"10180\": " + NumberedList("big ") + " } }");
    ASSERT_TRUE(file->IsOpen());
    EXPECT_EQ(Text(LoadText(file.get(), 19)), "zero 20");
    EXPECT_EQ(Text(LoadText(file.get(), 20)), "twenty 1");
    EXPECT_EQ(Text(LoadText(file.get(), 1000)), "OK");
    EXPECT_EQ(Text(LoadText(file.get(), 1001)), "") << "past the end of the list";
    EXPECT_EQ(Text(LoadText(file.get(), 10191)), "big 12");
    EXPECT_EQ(Text(LoadText(file.get(), 40)), "");
    EXPECT_EQ(Text(LoadText(file.get(), -1)), "");

    unsigned char indexed[256];
    ASSERT_TRUE(GetIndexedString(file.get(), 21, indexed));
    EXPECT_EQ(indexed[0], 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(indexed + 1), indexed[0]), "twenty 2");
}

TEST_F(Bundles, TextComesBeforeLtxtBeforeTheStringList)
{
    const std::string longEntry(256, 'x');
    auto file = Bundle("a.json",
        "{ \"TEXT\": { \"5\": \"from TEXT\\nsecond line\", \"7\": \"\" },"
        "  \"LTXT\": { \"5\": \"from LTXT\", \"6\": \"from LTXT\" },"
        "  \"STR#\": { \"0\": [\"\", \"\", \"\", \"\", \"\", \"s5\", \"s6\", \"s7\", \""
            + longEntry + "\", \"" + longEntry.substr(1) + "\"] } }");
    EXPECT_EQ(Text(LoadText(file.get(), 5)), "from TEXT\nsecond line");
    EXPECT_EQ(Text(LoadText(file.get(), 6)), "from LTXT");
    EXPECT_EQ(Text(LoadText(file.get(), 7)), "s7") << "an empty TEXT counts as none";
    EXPECT_EQ(Text(LoadText(file.get(), 8)), "") << "a string list entry over 255 bytes does not fit";
    EXPECT_EQ(LoadText(file.get(), 9).Length(), 255);
    EXPECT_EQ(Text(LoadText(nullptr, 5)), "");
}

TEST_F(Bundles, TextsAreLookedUpLibraryLanguageApplication)
{
    auto app = Bundle("app.json", "{ \"STR#\": { \"0\": [\"app 0\", \"app 1\", \"app 2\"] } }");
    auto language
        = Bundle("language.json", "{ \"STR#\": { \"0\": [\"\", \"language 1\", \"language 2\"] } }");
    auto library = Bundle("pw95lib1.dll", "{ \"STR#\": { \"0\": [\"\", \"\", \"library 2\"] } }");
    gAppResFile = app.get();
    gLanguageResFile = language.get();
    gLibraryResFile = library.get();
    EXPECT_EQ(Text(LoadString(0)), "app 0") << "found in the application's file with both others open";
    EXPECT_EQ(Text(LoadString(1)), "language 1");
    EXPECT_EQ(Text(LoadString(2)), "library 2");
    EXPECT_EQ(Text(LoadString(2, app.get())), "app 2") << "a named file is asked alone";
    EXPECT_EQ(Text(LoadString(0, library.get())), "");
    EXPECT_EQ(Text(Cstring(1)), "language 1");

    library->Close();
    EXPECT_EQ(Text(LoadString(2)), "language 2") << "a closed file is skipped";
    gAppResFile = nullptr;
    EXPECT_EQ(Text(LoadString(0)), "");
}

TEST_F(Bundles, DialogsAreLookedUpLanguageFirstMenusLibraryFirst)
{
    const std::string dialog = "\"DLOG\": { \"300\": { \"bounds\": [10, 20, 110, 220], \"title\": \"%s\" } },"
                               "\"DITL\": { \"300\": [ { \"rect\": [1, 2, 3, 4], \"type\": \"button\", "
                               "\"text\": \"%s\", \"kind\": 3, \"id\": 1 } ] }";
    auto make = [&](const std::string& theName) {
        std::string body = dialog;
        for (std::string::size_type at; (at = body.find("%s")) != std::string::npos;)
            body.replace(at, 2, theName);
        return "{ " + body + ", \"MBAR\": { \"130\": [128] }, \"MENU\": { \"128\": { \"title\": \"" + theName
            + "\", \"items\": [ { \"text\": \"Quit\", \"key\": \"Q\", \"command\": \"quit\" }, "
              "{ \"text\": \"Other\", \"command\": 7 } ] } } }";
    };
    auto app = Bundle("app.json", make("app"));
    auto language = Bundle("language.json", make("language"));
    auto library = Bundle("library.json", make("library"));
    gAppResFile = app.get();
    gLanguageResFile = language.get();
    gLibraryResFile = library.get();

    CDialogTemplate dialogTemplate;
    ASSERT_TRUE(LoadDialogTemplate(300, dialogTemplate));
    EXPECT_EQ(Text(dialogTemplate.itsTitle), "language");
    EXPECT_EQ(dialogTemplate.itsFile, language.get());
    ASSERT_EQ(dialogTemplate.itsItems.size(), 1u);
    EXPECT_EQ(Text(dialogTemplate.itsItems[0].itsText), "language")
        << "items come from the dialog's own file";
    EXPECT_EQ(dialogTemplate.itsItems[0].itsDialogType, 1);
    EXPECT_EQ(dialogTemplate.itsBounds.right, 220);
    EXPECT_FALSE(LoadDialogTemplate(301, dialogTemplate));

    std::vector<CMenuTemplate> menus;
    ASSERT_TRUE(LoadMenuBar(130, menus));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(Text(menus[0].itsTitle), "library");
    ASSERT_EQ(menus[0].itsItems.size(), 2u);
    EXPECT_EQ(menus[0].itsItems[0].itsKey, 'Q');
    EXPECT_EQ(menus[0].itsItems[0].itsCommand, 0x71756974) << "four characters make the host's command code";
    EXPECT_EQ(menus[0].itsItems[1].itsCommand, 7);
    EXPECT_EQ(menus[0].itsItems[1].itsKey, 0);

    gLanguageResFile = nullptr;
    ASSERT_TRUE(LoadDialogTemplate(300, dialogTemplate));
    EXPECT_EQ(Text(dialogTemplate.itsTitle), "library");
}

TEST_F(Bundles, SubstitutionsRegisterIgnoringCaseAndReplaceMatchingCase)
{
    AddTextSubstitution("|TESTTOKEN|", "first");
    AddTextSubstitution("|testtoken|", "second");
    Cstring text("a |TESTTOKEN| b |testtoken| c");
    ApplySubstitutions(text);
    EXPECT_EQ(Text(text), "a second b |testtoken| c")
        << "one slot, matched by the spelling it was registered with";

    auto file = Bundle("a.json", "{ \"TEXT\": { \"1\": \"Install |TESTTOKEN|\" } }");
    EXPECT_EQ(Text(LoadText(file.get(), 1)), "Install second");
    SetSubstitutionsEnabled(false);
    EXPECT_EQ(Text(LoadText(file.get(), 1)), "Install |TESTTOKEN|");
    SetSubstitutionsEnabled(true);
}

TEST_F(Bundles, BadBundlesAreReportedOnceAndDoNotOpen)
{
    struct Case {
        const char* itsJson;
        const char* itsReason; // part of the message
    };
    const Case cases[] = {
        { "{ \"STR#\": { \"0\": [\"a\" }", "parse error" },
        { "[1, 2]", "not a JSON object" },
        { "{ \"STR#\": [] }", "\"STR#\"" },
        { "{ \"STR#\": { \"zero\": [] } }", "zero" },
        { "{ \"STR#\": { \"0010\": [] } }", "0010" },
        { "{ \"STR#\": { \"40000\": [] } }", "40000" },
        { "{ \"STR#\": { \"0\": [1] } }", "STR# 0" },
        { "{ \"TEXT\": { \"1\": 5 } }", "TEXT 1" },
        { "{ \"DLOG\": { \"1\": { \"title\": \"x\" } } }", "bounds" },
        { "{ \"DLOG\": { \"1\": { \"bounds\": [1, 2, 3, 99999] } } }", "bounds" },
        { "{ \"DITL\": { \"1\": [ { \"rect\": [1, 2, 3, 4], \"type\": \"slider\" } ] } }", "type" },
        { "{ \"DITL\": { \"1\": [ { \"rect\": [1, 2, 3, 4], \"type\": \"text\", \"kind\": 300 } ] } }",
            "kind" },
        { "{ \"DITL\": { \"1\": [ { \"rect\": [1, 2, 3, 4], \"type\": \"text\", \"dbut\": [1] } ] } }",
            "dbut" },
        { "{ \"MBAR\": { \"1\": [\"128\"] } }", "MBAR 1" },
        { "{ \"MENU\": { \"1\": { \"title\": \"x\", \"items\": [ { \"key\": \"Q\" } ] } } }", "text" },
        { "{ \"MENU\": { \"1\": { \"title\": \"x\", \"items\": [ { \"text\": \"a\", \"command\": \"toolong\" "
          "} ] } } }",
            "command" },
        { "{ \"TEXT\": { \"1\": \"\xff\xfe\" } }", "parse error" },
        { "", "parse error" },
    };
    auto app = Bundle("app.json", "{ \"STR#\": { \"0\": [\"from the application\"] } }");
    gAppResFile = app.get();
    int number = 0;
    for (const Case& test : cases) {
        const std::string name = "bad" + std::to_string(number++) + ".json";
        testing::internal::CaptureStderr();
        auto bad = Bundle(name, test.itsJson);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(bad->IsOpen()) << test.itsJson;
        EXPECT_EQ(bad->GetRefNum(), -1);
        EXPECT_NE(message.find(name), std::string::npos) << message;
        EXPECT_NE(message.find(test.itsReason), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line: " << message;

        gLanguageResFile = bad.get();
        EXPECT_EQ(Text(LoadString(0)), "from the application") << "lookups fall through";
        gLanguageResFile = nullptr;
    }
}

TEST_F(Bundles, HostileNestingAndWhatIsNoFileAreRefused)
{
    const std::string deep
        = "{ \"x\": { \"1\": " + std::string(100000, '[') + std::string(100000, ']') + " } }";
    testing::internal::CaptureStderr();
    auto nested = Bundle("deep.json", deep);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(nested->IsOpen());
    EXPECT_NE(message.find("nested too deeply"), std::string::npos) << message;

    // Nor is what is no file: a pipe would wait for a writer for ever.
    const std::string pipe = itsTemp / "pipe.json";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    testing::internal::CaptureStderr();
    CResFile missing((itsTemp / "missing.json").c_str());
    CResFile fromPipe(pipe.c_str());
    CResFile fromFolder(itsTemp.Path().c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("missing.json"), std::string::npos) << said;
    EXPECT_NE(said.find("pipe.json"), std::string::npos) << said;
    EXPECT_FALSE(missing.IsOpen() || fromPipe.IsOpen() || fromFolder.IsOpen());

    // Types this program does not know are kept and handed out as JSON text.
    auto unknown = Bundle("unknown.json", "{ \"xmnu\": { \"5\": { \"a\": [1, 2] } } }");
    ASSERT_TRUE(unknown->IsOpen());
    EXPECT_EQ(LoadResource(unknown.get(), "xmnu", 5).itsBytes, "{\"a\":[1,2]}");
    EXPECT_TRUE(LoadResource(unknown.get(), "xmnu", 6).IsEmpty());
}

TEST_F(Bundles, PicturesComeInlineOrFromBesideTheBundle)
{
    itsTemp.Write("splash.png", "\x89PNG fake");
    itsTemp.Write("secret.png", "secret");
    auto file = Bundle("pictures/../a.json",
        "{ \"PICT\": { \"1\": \"data:image/png;base64,iVBORw==\", \"2\": \"splash.png\","
        " \"3\": \"../secret.png\", \"4\": \"data:image/png;base64,!!!\", \"5\": \"..\" } }");
    ASSERT_TRUE(file->IsOpen());
    EXPECT_EQ(GetPicture(file.get(), 1).itsBytes, "\x89PNG");
    EXPECT_EQ(GetPicture(file.get(), 2).itsBytes, "\x89PNG fake");
    EXPECT_TRUE(GetPicture(file.get(), 3).IsEmpty()) << "a name that leaves the bundle's folder is refused";
    EXPECT_TRUE(GetPicture(file.get(), 4).IsEmpty()) << "broken inline data gives nothing";
    EXPECT_TRUE(GetPicture(file.get(), 5).IsEmpty());
    EXPECT_TRUE(GetPicture(file.get(), 6).IsEmpty());
}
