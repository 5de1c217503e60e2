// What a person sees of the overwrite question: every text fits the room it
// got at the default font and no control covers another, every widget has a
// name a screen reader can say, and a screenshot lands in the build folder. The wizard's pages are
// WizardLayoutTest's.

#include "QtFixture.h"
#include "platform/OverwriteDialog.h"
#include "platform/Resources.h"

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

TEST_F(DialogLook, OverwriteQuestionFitsAndIsNamed)
{
    for (uint32_t count : { 3u, 1u }) {
        COverwriteDialog dialog(
            "/Applications/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab", count);
        Soon([&] {
            const std::string name = count == 1 ? "dialog109-one-entry" : "dialog109";
            ExpectReadable(dialog, name);
            ExpectNamed(dialog, name.c_str());
            SavePicture(dialog, std::string(PW_SCREENSHOT_DIR) + "/" + name + ".png");
            dialog.EndDialog(7);
        });
        EXPECT_EQ(dialog.DoModal(), 7);
    }
}

} // namespace
