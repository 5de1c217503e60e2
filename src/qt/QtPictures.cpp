#include "qt/QtPictures.h"

#include "qt/QtHostImpl.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <cstdio>

struct CRepeatedCheck::Timer {
    QTimer itsTimer;
};

bool SaveWindowPicture(const CWindow& theWindow, const std::string& thePath)
{
    QWidget* widget = WidgetOf(theWindow);
    return widget && widget->grab().save(QString::fromStdString(thePath));
}

void DeliverPendingEvents()
{
    QCoreApplication::processEvents();
}

void DeleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CRepeatedCheck::CRepeatedCheck(int theMilliseconds, std::function<void()> theCheck)
    : itsTimer(std::make_unique<Timer>())
{
    QObject::connect(&itsTimer->itsTimer, &QTimer::timeout, std::move(theCheck));
    itsTimer->itsTimer.start(theMilliseconds);
}

CRepeatedCheck::~CRepeatedCheck() = default;

std::unique_ptr<CRepeatedCheck> AnswerQuestionsByEscape(const char* theProgram)
{
    return std::make_unique<CRepeatedCheck>(50, [theProgram] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "%s: answered \"%s\"\n", theProgram, box->text().toUtf8().constData());
            box->done(0);
        }
    });
}

namespace {

void QuietMessages(QtMsgType theType, const QMessageLogContext&, const QString& theText)
{
    if (theType == QtDebugMsg || theType == QtInfoMsg || theText.startsWith("This plugin does not support")
        || theText.startsWith("QStandardPaths:"))
        return;
    std::fprintf(stderr, "%s\n", theText.toUtf8().constData());
}

} // namespace

void QuietenToolkitNotes()
{
    qInstallMessageHandler(QuietMessages);
}
