#include "platform/DialogTemplate.h"
#include "platform/Resources.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The application's own bundle, alone in the lookup order.
class AppBundle : public testing::Test {
protected:
    CResFile itsApp;
    CScopedGlobal<CResFile*> itsInstalled { gAppResFile, &itsApp };
    CScopedGlobal<CResFile*> itsLanguage { gLanguageResFile, nullptr };
    CScopedGlobal<CResFile*> itsLibrary { gLibraryResFile, nullptr };
};

enum ItemKind { kButton = 3, kUserPane = 23, kProgressBar = 28, kAnyText = -1, kAnyKind = -2 };

struct Expected {
    int itsId;
    int itsKind;
    int itsList; // the item list that must hold it
};

bool KindMatches(int theKind, int theExpected)
{
    if (theExpected == kAnyText)
        return theKind == 16 || theKind == 21;
    if (theExpected == kAnyKind)
        return theKind != 0;
    return theKind == theExpected;
}

// Every item lies inside its window. Whether items overlap and each text fits
// is measured as the host lays them out, with the real fonts, by
// WizardLayoutTest and DialogLookTest.
void ExpectInsideTheWindow(
    const CDialogTemplate& theDialog, const std::map<int, std::vector<CDialogItemDescription>>& theLists)
{
    const int width = theDialog.itsBounds.right - theDialog.itsBounds.left;
    const int height = theDialog.itsBounds.bottom - theDialog.itsBounds.top;
    for (const auto& [list, items] : theLists)
        for (const CDialogItemDescription& item : items) {
            const CShortRect& rect = item.itsBounds;
            EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height
                && rect.left < rect.right && rect.top < rect.bottom)
                << "item " << item.itsItemId << " of list " << list;
        }
}

void ExpectItems(const std::map<int, std::vector<CDialogItemDescription>>& theLists,
    const std::vector<Expected>& theExpected)
{
    std::set<int> seen;
    for (const auto& [list, items] : theLists) {
        for (const CDialogItemDescription& item : items) {
            if (item.itsKind != 0) {
                EXPECT_TRUE(seen.insert(item.itsItemId).second) << "item " << item.itsItemId << " twice";
            }
        }
    }
    for (const Expected& expected : theExpected) {
        const auto list = theLists.find(expected.itsList);
        ASSERT_NE(list, theLists.end()) << expected.itsList;
        bool bFound = false;
        for (const CDialogItemDescription& item : list->second)
            if (item.itsItemId == expected.itsId) {
                bFound = true;
                EXPECT_TRUE(KindMatches(item.itsKind, expected.itsKind))
                    << "item " << expected.itsId << " has kind " << item.itsKind;
            }
        EXPECT_TRUE(bFound) << "item " << expected.itsId << " missing from list " << expected.itsList;
    }
}

} // namespace

TEST_F(AppBundle, MainWindowHoldsEveryItemTheWizardUses)
{
    CDialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(150, dialog));
    EXPECT_EQ(dialog.itsFile, &itsApp);
    std::map<int, std::vector<CDialogItemDescription>> lists;
    lists[150] = dialog.itsItems;
    for (int page = 152; page <= 157; ++page)
        ASSERT_TRUE(LoadDialogItems(dialog.itsFile, page, lists[page])) << page;

    // 157, the readme, scrolls (21).
    ExpectItems(lists,
        { { 2, kButton, 150 }, { 100, kButton, 150 }, { 101, kButton, 150 }, { 127, kAnyText, 150 },
            { 190, kAnyText, 150 }, { 163, kAnyText, 152 }, { 162, kAnyText, 152 }, { 157, 21, 152 },
            { 137, kUserPane, 153 }, { 175, kButton, 153 }, { 174, kAnyText, 154 }, { 125, kAnyText, 155 },
            { 141, kAnyText, 155 }, { 143, kAnyText, 155 }, { 147, kAnyText, 155 },
            { 169, kProgressBar, 155 }, { 177, kAnyText, 155 }, { 178, kAnyText, 155 } });
    for (const CDialogItemDescription& item : lists[154])
        if (item.itsItemId == 174) {
            EXPECT_NE(std::string(item.itsText.GetText()).find("%DIRNAME%"), std::string::npos);
            EXPECT_NE(std::string(item.itsText.GetText()).find("%BLOCKNAME%"), std::string::npos);
        }
    ExpectInsideTheWindow(dialog, lists);
}

TEST_F(AppBundle, OverwriteQuestionHoldsItsAnswers)
{
    CDialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(109, dialog));
    std::map<int, std::vector<CDialogItemDescription>> lists { { 109, dialog.itsItems } };
    ExpectItems(lists,
        { { 1, kButton, 109 }, { 7, kButton, 109 }, { 128, kButton, 109 }, { 129, kButton, 109 },
            { 2, kButton, 109 }, { 127, kAnyText, 109 }, { 123, kAnyKind, 109 } });
    ExpectInsideTheWindow(dialog, lists);
}

// The bar and what it sends are QtTest.MenuBarSitsAboveTheContentAndSendsCommands's,
// and the picture's loading QtTest.EveryKindMakesItsWidgetAtItsRectangleWhoseClicksComeBack's; here, that the
// bundle holds the picture of the sources.
TEST_F(AppBundle, SplashPictureIsTheSourcesOne)
{
    const char* source = std::getenv("PW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(GetPicture(&itsApp, 233).itsBytes, ReadWholeFile(std::string(source) + "/resources/splash.png"))
        << "run resources/make_splash.py after changing the picture";
}
