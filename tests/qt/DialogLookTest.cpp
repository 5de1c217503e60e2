// What a person sees of the overwrite question: every text fits, no control
// covers another and every widget has a name a screen reader can say.

#include "QtFixture.h"
#include "platform/OverwriteDialog.h"
#include "platform/Resources.h"
#include "platform/Shell.h"

#include <QPushButton>

#include <tuple>

namespace {

class DialogLook : public QtTest {
protected:
    static void ExpectNamed(const CWindow& theWindow, const char* theWhere)
    {
        for (const auto& entry : theWindow.Entries()) {
            QWidget* widget = WidgetOf(*entry);
            if (widget && entry->bShown && entry->itsText.IsNotEmpty() && entry->itsText != Cstring(" ")) {
                EXPECT_FALSE(widget->accessibleName().isEmpty()) << theWhere << ": item " << entry->itsItemId;
            }
        }
    }
};

// The question is a modal dialog whose button click ends its loop.
TEST_F(DialogLook, OverwriteQuestionFitsAndIsNamed)
{
    for (const auto& [count, answer, result] : { std::tuple { 3u, "Yes to All", 129 }, { 1u, "No", 7 } }) {
        COverwriteDialog dialog(
            "/Applications/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab", count);
        Soon([&] {
            const std::string name = count == 1 ? "dialog109-one-entry" : "dialog109";
            ExpectReadable(dialog, name);
            ExpectNamed(dialog, name.c_str());
            SavePicture(dialog, std::string(PW_SCREENSHOT_DIR) + "/" + name + ".png");
            EXPECT_TRUE(Shell().IsModalDialogUp());
            for (auto* button : WidgetOf(dialog)->findChildren<QPushButton*>())
                if (button->text() == answer)
                    button->click();
        });
        EXPECT_EQ(dialog.DoModal(), result) << answer;
    }
}

} // namespace
