// What a person sees of the overwrite question: every text fits the room it
// got at the default font, every widget has a name a screen reader can say,
// and a screenshot lands in the build folder. The wizard's pages are
// WizardLayoutTest's.

#include "QtFixture.h"
#include "platform/OverwriteDialog.h"
#include "platform/Resources.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>

namespace {

class DialogLook : public QtTest {
protected:
    // Each widget's wish for room against the room the dialog's layout gave it.
    static void ExpectTextsFit(const CWindow& theWindow, const char* theWhere)
    {
        for (const auto& entry : theWindow.Entries()) {
            QWidget* widget = WidgetOf(*entry);
            if (!widget || !entry->bShown)
                continue;
            const QRect bounds = widget->geometry();
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                if (label->pixmap().isNull()) {
                    EXPECT_LE(label->heightForWidth(bounds.width()), bounds.height())
                        << theWhere << ": text " << entry->itsItemId << " \"" << entry->itsText.GetText()
                        << "\" needs more height";
                }
            } else if (qobject_cast<QAbstractButton*>(widget)) {
                const QSize hint = widget->sizeHint();
                EXPECT_LE(hint.width(), bounds.width()) << theWhere << ": button " << entry->itsItemId;
                EXPECT_LE(hint.height(), bounds.height()) << theWhere << ": button " << entry->itsItemId;
            }
        }
    }

    static void ExpectNamed(const CWindow& theWindow, const char* theWhere)
    {
        for (const auto& entry : theWindow.Entries()) {
            QWidget* widget = WidgetOf(*entry);
            if (widget && entry->bShown && entry->itsText.IsNotEmpty() && entry->itsText != Cstring(" ")) {
                EXPECT_FALSE(widget->accessibleName().isEmpty()) << theWhere << ": item " << entry->itsItemId;
            }
        }
    }

    static std::string Screenshot(const CWindow& theWindow, const std::string& theName)
    {
        QDir().mkpath(PW_SCREENSHOT_DIR);
        const std::string path = std::string(PW_SCREENSHOT_DIR) + "/" + theName + ".png";
        EXPECT_TRUE(WidgetOf(theWindow)->grab().save(QString::fromStdString(path)));
        return path;
    }
};

TEST_F(DialogLook, OverwriteQuestionFitsAndIsNamed)
{
    for (uint32_t count : { 3u, 1u }) {
        COverwriteDialog dialog(
            "/Applications/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab", count);
        Soon([&] {
            const std::string name = count == 1 ? "dialog109-one-entry" : "dialog109";
            ExpectTextsFit(dialog, name.c_str());
            ExpectNamed(dialog, name.c_str());
            Screenshot(dialog, name);
            dialog.EndDialog(7);
        });
        EXPECT_EQ(dialog.DoModal(), 7);
    }
}

} // namespace
