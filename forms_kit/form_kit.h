#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <QValidator>

#include <string>
#include <string_view>
#include <vector>

#include "platform/disk.h"
#include "platform/messages.h"

class QApplication;
class QLabel;
class QLineEdit;
class QScrollBar;

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

// A table painted by `area` and scrolled by `bar` follows the wheel over the area and, while its
// window has the keyboard, the keys: arrows, Page Up and Down, Home and End for a vertical bar,
// Left and Right for a horizontal one; each as the bar's own action, so that the bar's rules for
// a page step hold. The handle shows the share in view: the bar's page step is `shown` rows.
// Where one area has two bars, give it the horizontal one first: the vertical one then takes the
// vertical turns of the wheel and leaves the sideways ones.
void ScrollWithWheelAndKeys(QWidget& area, QScrollBar& bar, int shown);

// The shape of every modal form: it reads its files as it opens (in the derived constructor),
// keeps what the user changes in its own copy, and writes only when confirmed. Cancel, Escape
// and the close box write nothing, so every file stays byte for byte as it was.
class ModalForm : public QDialog {
  public:
    // A form the user declined as it opened (see Decline) does not show.
    int Run() { return declined_ ? QDialog::Rejected : exec(); }
    bool Declined() const { return declined_; }

  protected:
    // sizeDlu: the form's client size in dialog units.
    ModalForm(const char* objectName, const QString& title, QSize sizeDlu, Messages& messages,
              QWidget* parent);

    // Writes what the form holds; false (after telling the user why) keeps the form open with
    // what the user typed, so that Ok works again once the cause is gone.
    virtual bool Write() { return true; }
    // Guards the form's text fields (see TextGuard) once they all exist, before it first shows.
    bool event(QEvent* e) override;
    // For the confirming button: writes, then closes on success.
    void Confirm();
    // Asked while opening (a damaged file, the user chose not to go on): the form closes
    // without showing and writes nothing.
    void Decline() { declined_ = true; }

    Messages& messages_;

  private:
    bool declined_ = false;
};

// A text field takes only what its file can hold: a character without a Windows-1252 byte, a tab
// or a line break, or a text longer than the field's slot is refused as it is typed or pasted,
// whole, and the user is told why (with the nearest letter where there is one), so that nothing
// is cut or changed when it is written. The slot's length is the edit's maximum length when the
// guard is installed; the guard takes that limit over so that an over-long paste is told rather
// than silently cut.
// A field of digits only is guarded the same way, refusing anything but digits.
class TextGuard final : public QValidator {
  public:
    enum class Takes { Text, Digits };
    TextGuard(QLineEdit& edit, Messages& messages, Takes takes = Takes::Text);

    int Limit() const { return limit_; }
    Takes Kind() const { return takes_; }
    State validate(QString& input, int& pos) const override;

  private:
    Messages& messages_;
    int limit_;
    Takes takes_;
};

// Marks a field of a form as taking digits only: its guard refuses anything else, and says so.
void TakeDigits(QLineEdit& edit);

// Guards every editable text field under `form` that has no validator of its own (some numbers
// have theirs), as digits only where TakeDigits marked it.
void GuardTextFields(QWidget& form, Messages& messages);

// The radio conflicts of a form's runs on `label`, in red: the heading, the first conflict and
// how many more, cut in the middle where the label is too narrow; every conflict in its tooltip
// and accessible description. Blank when there is none.
void ShowRadioConflicts(QLabel& label, const std::vector<std::string>& lines);

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
