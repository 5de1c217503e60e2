#include "QtFixture.h"
#include "platform/controlentry.h"
#include "platform/mcwin.h"
#include "qt/QtPictures.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>

#include <filesystem>

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

void ExpectReadable(const CWindow& theWindow, const std::string& thePage)
{
    SCOPED_TRACE(thePage);
    QWidget* window = WidgetOf(theWindow);
    const QRect area = window->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->frameGeometry()))
        << "window " << window->frameGeometry().width() << "x" << window->frameGeometry().height()
        << " on a screen of " << area.width() << "x" << area.height();
    std::vector<std::pair<QWidget*, const ControlEntry*>> shown;
    for (const auto& entry : theWindow.Entries()) {
        QWidget* widget = WidgetOf(*entry);
        if (widget && widget->isVisibleTo(window))
            shown.emplace_back(widget, entry.get());
    }
    for (const auto& [widget, entry] : shown) {
        const QSize size = widget->size();
        const std::string what
            = "item " + std::to_string(entry->itsItemId) + " \"" + DisplayText(*entry).GetText() + "\"";
        auto* label = qobject_cast<QLabel*>(widget);
        if (label && label->pixmap().isNull() && !label->text().trimmed().isEmpty()) {
            EXPECT_LE(label->heightForWidth(size.width()), size.height()) << what << " needs more height";
            EXPECT_LE(label->minimumSizeHint().width(), size.width()) << what << " needs more width";
        } else if (qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_LE(widget->sizeHint().width(), size.width()) << what << " needs more width";
            EXPECT_LE(widget->sizeHint().height(), size.height()) << what << " needs more height";
        }
        // Out of the window only where the page scrolls to it.
        bool bScrolled = false;
        for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget())
            bScrolled |= qobject_cast<QScrollArea*>(parent) != nullptr;
        const QRect place(widget->mapTo(window, QPoint(0, 0)), size);
        if (!bScrolled) {
            EXPECT_TRUE(window->rect().contains(place)) << what << " lies outside the window";
        }
        for (const auto& [other, otherEntry] : shown) {
            if (other != widget && other->parentWidget() == widget->parentWidget()
                && entry->itsItemId < otherEntry->itsItemId) {
                EXPECT_FALSE(widget->geometry().intersects(other->geometry()))
                    << what << " and item " << otherEntry->itsItemId << " overlap";
            }
        }
    }
}

void SavePicture(const CWindow& theWindow, const std::string& thePath)
{
    std::filesystem::create_directories(std::filesystem::path(thePath).parent_path());
    EXPECT_TRUE(SaveWindowPicture(theWindow, thePath)) << thePath;
}
