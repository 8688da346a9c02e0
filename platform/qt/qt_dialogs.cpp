#include "platform/qt/qt_dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

namespace {

QString FilterText(FileFilter f) {
    return ToQString(f.description) + " (" + ToQString(f.pattern) + ")";
}

class QtPrintJob final : public PrintJob {
  public:
    explicit QtPrintJob(std::unique_ptr<QPrinter> printer)
        : printer_(std::move(printer)), painter_(printer_.get()), canvas_(painter_, *printer_) {}
    Canvas& Page() override { return canvas_; }
    bool Finish() override { return painter_.end(); }

  private:
    class PrinterCanvas final : public QtCanvas {
      public:
        PrinterCanvas(QPainter& p, QPrinter& printer) : QtCanvas(p), printer_(printer) {}
        bool NewPage() override { return printer_.newPage(); }

      private:
        QPrinter& printer_;
    };
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    PrinterCanvas canvas_;
};

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

std::optional<Font> QtDialogs::ChooseFont(const Font& initial) {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, ToQFont(initial), parent_);
    if (!ok) return std::nullopt;
    Font out;
    out.face = FromQString(f.family());
    out.height = f.pixelSize() > 0 ? f.pixelSize() : f.pointSize() * 4 / 3;
    out.weight = f.weight();
    out.italic = f.italic();
    out.underline = f.underline();
    return out;
}

std::unique_ptr<PrintJob> QtDialogs::Print(std::string_view documentName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(ToQString(documentName));
    QPrintDialog dialog(printer.get(), parent_);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return std::make_unique<QtPrintJob>(std::move(printer));
}

bool OpenWithAssociatedProgram(std::string_view cp1252Path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(cp1252Path)));
}

}  // namespace velkaro
