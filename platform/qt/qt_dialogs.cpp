#include "platform/qt/qt_dialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

namespace {

QString FilterText(FileFilter f) {
    return ToQString(f.description) + " (" + ToQString(f.pattern) + ")";
}

// The painter starts with the first page asked for, so that a job nobody draws on sends nothing.
class QtPrintJob final : public PrintJob {
  public:
    explicit QtPrintJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}
    Canvas& Page() override {
        if (!canvas_) {
            painter_ = std::make_unique<QPainter>();
            failed_ = !painter_->begin(printer_.get());
            canvas_ = std::make_unique<PrinterCanvas>(*painter_, *printer_, failed_);
        }
        return *canvas_;
    }
    bool Finish() override {
        if (!painter_) return true;
        bool ended = !painter_->isActive() || painter_->end();
        return ended && !failed_ && printer_->printerState() != QPrinter::Error;
    }

  private:
    class PrinterCanvas final : public QtCanvas {
      public:
        PrinterCanvas(QPainter& p, QPrinter& printer, bool& failed)
            : QtCanvas(p), printer_(printer), failed_(failed) {}
        bool NewPage() override {
            if (failed_ || !printer_.newPage()) failed_ = true;
            return !failed_;
        }
        // The top-left corner is the origin, as a page is read: a report's x may run past the
        // logical width to the page's edge, which centring would push off the paper.
        void SetIsotropicMapping(int logicalWidth, int logicalHeight) override {
            double scale = std::min(double(printer_.width()) / logicalWidth,
                                    double(printer_.height()) / logicalHeight);
            painter_.setViewport(0, 0, int(logicalWidth * scale), int(logicalHeight * scale));
            painter_.setWindow(0, 0, logicalWidth, logicalHeight);
        }

      private:
        QPrinter& printer_;
        bool& failed_;
    };
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PrinterCanvas> canvas_;
    bool failed_ = false;
};

std::unique_ptr<QPrinter> NewPrinter(std::string_view documentName, PageOrientation orientation) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(ToQString(documentName));
    printer->setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
    printer->setCopyCount(1);
    printer->setFromTo(1, 1);
    return printer;
}

}  // namespace

std::optional<std::string> QtDialogs::OpenFile(std::string_view startFolder, FileFilter filter) {
    QString name = QFileDialog::getOpenFileName(parent_, QString(), ToQString(startFolder),
                                                FilterText(filter), nullptr, QFileDialog::ReadOnly);
    if (name.isEmpty()) return std::nullopt;
    return FromQString(name);
}

std::optional<std::string> QtDialogs::SaveFile(std::string_view initialName, FileFilter filter) {
    QString name = QFileDialog::getSaveFileName(parent_, QString(), ToQString(initialName),
                                                FilterText(filter));
    if (name.isEmpty()) return std::nullopt;
    return FromQString(name);
}

std::optional<Rgb> QtDialogs::ChooseColour(Rgb initial, std::array<Rgb, 16>& custom) {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, ToQColor(custom[size_t(i)]));
    QColor c = QColorDialog::getColor(ToQColor(initial), parent_);
    for (int i = 0; i < 16; ++i) {
        QColor k = QColorDialog::customColor(i);
        custom[size_t(i)] = {std::uint8_t(k.red()), std::uint8_t(k.green()),
                             std::uint8_t(k.blue())};
    }
    if (!c.isValid()) return std::nullopt;
    return Rgb{std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue())};
}

namespace {

Font FromQFont(const QFont& f) {
    Font out;
    out.face = FromQString(f.family());
    out.height = f.pixelSize() > 0 ? f.pixelSize() : f.pointSize() * 4 / 3;
    out.weight = f.weight();
    out.italic = f.italic();
    out.underline = f.underline();
    out.strikeOut = f.strikeOut();
    return out;
}

}  // namespace

std::optional<Font> QtDialogs::ChooseFont(const Font& initial) {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, ToQFont(initial), parent_);
    if (!ok) return std::nullopt;
    return FromQFont(f);
}

// Qt's font chooser has underline and strike-out but no colour: it is shown inside a dialog of
// our own with a colour button under it.
std::optional<Dialogs::FontAndColour> QtDialogs::ChooseFontAndColour(const FontAndColour& initial) {
    QDialog dialog(parent_);
    dialog.setWindowTitle("Font");
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(ToQFont(initial.font), &dialog);
    fonts->setOptions(QFontDialog::NoButtons);
    fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(fonts);
    QColor colour = ToQColor(initial.colour);
    auto* colourButton = new QPushButton("Colour...", &dialog);
    auto showColour = [colourButton, &colour] {
        colourButton->setStyleSheet(QString("color: %1").arg(colour.name()));
    };
    showColour();
    QObject::connect(colourButton, &QPushButton::clicked, &dialog, [&] {
        QColor chosen = QColorDialog::getColor(colour, &dialog);
        if (chosen.isValid()) colour = chosen;
        showColour();
    });
    layout->addWidget(colourButton);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FontAndColour{
        FromQFont(fonts->currentFont()),
        {std::uint8_t(colour.red()), std::uint8_t(colour.green()), std::uint8_t(colour.blue())}};
}

// Qt's dialog lists the printers CUPS knows and "Print to File (PDF)".
std::unique_ptr<PrintJob> QtDialogs::Print(std::string_view documentName,
                                           PageOrientation orientation) {
    std::unique_ptr<QPrinter> printer = NewPrinter(documentName, orientation);
    // "Print to File" proposes the document's own name in the user's documents, whichever
    // device the dialog opens on: the printer chosen last, or the system's default one.
    const Text<160> fileName = DocumentFileName(documentName);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists()) folder = QDir::homePath();  // the dialog refuses a missing folder
    printer->setOutputFileName(QDir(folder).filePath(
        (fileName.Empty() ? QString("Document") : ToQString(fileName.View())) + ".pdf"));
    if (!lastToFile_) {
        printer->setOutputFormat(QPrinter::NativeFormat);
        if (!lastPrinter_.isEmpty()) printer->setPrinterName(lastPrinter_);
    }
    QPrintDialog dialog(printer.get(), parent_);
    dialog.setMinMax(1, 1);
    if (lastToFile_) {
        // The dialog opens on a printer whatever the format: its last entry is the file, chosen
        // once the dialog is up, since showing it selects the printer again.
        QTimer::singleShot(0, &dialog, [&dialog] {
            auto* devices = dialog.findChild<QComboBox*>("printers");
            if (devices != nullptr && devices->count() > 0) {
                devices->setCurrentIndex(devices->count() - 1);
            }
        });
    }
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    lastToFile_ = printer->outputFormat() == QPrinter::PdfFormat;
    if (!lastToFile_) {
        lastPrinter_ = printer->printerName();
        printer->setOutputFileName(QString());  // a printer's job goes to the printer, not the file
    }
    return std::make_unique<QtPrintJob>(std::move(printer));
}

std::unique_ptr<PrintJob> PrintToPdfFile(std::string_view documentName, PageOrientation orientation,
                                         std::string_view cp1252Path) {
    std::unique_ptr<QPrinter> printer = NewPrinter(documentName, orientation);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(ToQString(cp1252Path));
    return std::make_unique<QtPrintJob>(std::move(printer));
}

std::unique_ptr<PrintJob> PrintOnPrinter(std::string_view documentName, PageOrientation orientation,
                                         std::string_view printerName) {
    std::unique_ptr<QPrinter> printer = NewPrinter(documentName, orientation);
    printer->setPrinterName(ToQString(printerName));
    if (!printer->isValid() || printer->printerName() != ToQString(printerName)) return nullptr;
    return std::make_unique<QtPrintJob>(std::move(printer));
}

bool OpenWithAssociatedProgram(std::string_view cp1252Path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(cp1252Path)));
}

}  // namespace velkaro
