// The Qt host's printing: a QPrinter that keeps its page set-up from one
// document to the next, its dialogs, and a painter per document.

#include "platform/PrinterView.h"
#include "qt/QtDrawSurface.h"
#include "qt/QtHostImpl.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <optional>

namespace {

class CQtPrinterView : public CPrinterView {
public:
    CQtPrinterView()
        : itsPrinter(QPrinter::HighResolution)
    {
    }

    std::vector<Cstring> PrinterNames() const override
    {
        std::vector<Cstring> names;
        for (const QString& name : QPrinterInfo::availablePrinterNames())
            names.emplace_back(name.toUtf8().constData());
        return names;
    }

    Cstring DefaultPrinterName() const override
    {
        return QPrinterInfo::defaultPrinterName().toUtf8().constData();
    }

    bool SetPrinter(const char* theName) override
    {
        const QString name = QString::fromUtf8(theName);
        if (QPrinterInfo::printerInfo(name).isNull())
            return false;
        if (itsPrinter.outputFormat() == QPrinter::NativeFormat)
            itsPrinter.setPrinterName(name);
        itsPrinterName = name;
        return true;
    }

    void SetOutputFile(const char* thePath) override
    {
        itsOutputFile = QString::fromUtf8(thePath);
        if (itsOutputFile.isEmpty()) {
            itsPrinter.setOutputFormat(QPrinter::NativeFormat);
            if (!itsPrinterName.isEmpty())
                itsPrinter.setPrinterName(itsPrinterName);
        } else {
            itsPrinter.setOutputFormat(QPrinter::PdfFormat);
            itsPrinter.setOutputFileName(itsOutputFile);
        }
    }

    bool PageSetupDialog() override
    {
        QPageSetupDialog dialog(&itsPrinter, QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted;
    }

    bool PrintDialog(int theLastPage) override
    {
        if (!itsOutputFile.isEmpty())
            return true; // the file is where the document goes
        QPrintDialog dialog(&itsPrinter, QApplication::activeWindow());
        dialog.setMinMax(1, theLastPage > 1 ? theLastPage : 1);
        return dialog.exec() == QDialog::Accepted;
    }

    bool BeginDocument(const char* theName) override
    {
        itsPrinter.setDocName(QString::fromUtf8(theName));
        // Without a printer (and no file named) there is nothing to print on.
        if (itsPrinter.outputFormat() == QPrinter::NativeFormat
            && QPrinterInfo::availablePrinterNames().isEmpty())
            return false;
        itsPainter.emplace();
        if (!itsPainter->begin(&itsPrinter)) {
            itsPainter.reset();
            return false;
        }
        bFirstPage = true;
        return true;
    }

    CDrawSurface* BeginPage() override
    {
        if (!itsPainter)
            return nullptr;
        if (!bFirstPage && !itsPrinter.newPage())
            return nullptr;
        bFirstPage = false;
        itsSurface.emplace(*itsPainter, PageRect());
        return &*itsSurface;
    }

    bool EndPage() override
    {
        itsSurface.reset();
        return itsPainter.has_value();
    }

    bool EndDocument() override
    {
        itsSurface.reset();
        const bool bEnded = itsPainter && itsPainter->end();
        itsPainter.reset();
        return bEnded;
    }

    void GetResolution(int& theHorizontal, int& theVertical) const override
    {
        theHorizontal = itsPrinter.logicalDpiX();
        theVertical = itsPrinter.logicalDpiY();
    }

    CRect PageRect() const override
    {
        const QRectF page = itsPrinter.pageRect(QPrinter::DevicePixel);
        return { 0, 0, static_cast<int>(page.height()), static_cast<int>(page.width()) };
    }

private:
    QPrinter itsPrinter;
    QString itsPrinterName;
    QString itsOutputFile;
    std::optional<QPainter> itsPainter;
    std::optional<CQtDrawSurface> itsSurface;
    bool bFirstPage = true;
};

} // namespace

std::unique_ptr<CPrinterView> CQtHost::MakePrinter()
{
    return std::make_unique<CQtPrinterView>();
}
