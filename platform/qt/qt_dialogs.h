#pragma once

#include <QString>

#include "platform/dialogs.h"

class QWidget;

namespace velkaro {

class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> OpenFile(std::string_view startFolder, FileFilter filter) override;
    std::optional<std::string> SaveFile(std::string_view initialName, FileFilter filter) override;
    std::optional<Rgb> ChooseColour(Rgb initial, std::array<Rgb, 16>& custom) override;
    std::optional<Font> ChooseFont(const Font& initial) override;
    std::optional<FontAndColour> ChooseFontAndColour(const FontAndColour& initial) override;
    std::unique_ptr<PrintJob> Print(std::string_view documentName,
                                    PageOrientation orientation) override;

  private:
    QWidget* parent_;
    // The device of the last print, proposed for the next one while the program runs.
    QString lastPrinter_;
    bool lastToFile_ = false;
};

// The print jobs of the dialog without the dialog: straight to a PDF file, or to a printer of
// the system by its name (nullptr when there is no such printer).
std::unique_ptr<PrintJob> PrintToPdfFile(std::string_view documentName, PageOrientation orientation,
                                         std::string_view cp1252Path);
std::unique_ptr<PrintJob> PrintOnPrinter(std::string_view documentName, PageOrientation orientation,
                                         std::string_view printerName);

// Opens a document with the program the desktop associates with it; false when none could.
bool OpenWithAssociatedProgram(std::string_view cp1252Path);

}  // namespace velkaro
