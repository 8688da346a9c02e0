#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>

#include <string_view>

#include "platform/disk.h"
#include "platform/messages.h"

class QApplication;

namespace velkaro {

// What every form and panel of the program is built with: one font, one placement unit, one way
// of naming controls, one modal shape.

// The program's face: "Arial" (Liberation Sans where Arial is not installed), sized in pixels.
QFont ProgramFont(int pixels, bool bold = false);
// The application-wide default, set once at start-up (tests set it too).
void ApplyProgramFont(QApplication& app);

// A form's layout is given in dialog units; this is their size in pixels.
inline QRect Dlu(int x, int y, int w, int h) {
    return QRect(x * 7 / 4, y * 7 / 4, w * 7 / 4, h * 7 / 4);
}

// A control carries its id as object name and its label as accessible name, so that tests and
// assistive tools find it.
template <typename W>
W* Name(W* widget, int id, const QString& label) {
    widget->setObjectName(QString::number(id));
    widget->setAccessibleName(label);
    return widget;
}
template <typename W>
W* Place(W* widget, int id, const QString& label, QRect where) {
    Name(widget, id, label)->setGeometry(where);
    return widget;
}

// The shape of every modal form: it reads its files as it opens (in the derived constructor),
// keeps what the user changes in its own copy, and writes only when confirmed. Cancel, Escape
// and the close box write nothing, so every file stays byte for byte as it was.
class ModalForm : public QDialog {
  public:
    int Run() { return exec(); }

  protected:
    // sizeDlu: the form's client size in dialog units.
    ModalForm(const char* objectName, const QString& title, QSize sizeDlu, Messages& messages,
              QWidget* parent);

    // Writes what the form holds; false (after telling the user why) keeps the form open with
    // what the user typed, so that Ok works again once the cause is gone.
    virtual bool Write() { return true; }
    // For the confirming button: writes, then closes on success.
    void Confirm();

    Messages& messages_;
};

// The messages of one confirmed write, standing in for the form's own. The writers tell any
// failure with the file's "not found" text; unless the file or its folder is indeed missing, the
// user reads instead which file failed and why, in the disk's words (full, write-protected...).
// Either way the form learns that its write failed, and stays open.
class WriteWatch final : public Messages {
  public:
    WriteWatch(Messages& under, Disk& disk, std::string_view file, std::string_view notFound);

    MessageAnswer Show(std::string_view title, std::string_view text, MessageButtons buttons,
                       MessageIcon icon) override;

    bool Failed() const { return failed_; }
    // For a writer that returns whether it wrote: a failure is told as above. True when
    // everything was written.
    bool Written(bool ok);

  private:
    Messages& under_;
    Disk& disk_;
    std::string_view file_;
    std::string_view notFound_;
    bool failed_ = false;
};

}  // namespace velkaro
