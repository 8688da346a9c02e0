#include "forms_kit/form_kit.h"

#include <QApplication>

namespace velkaro {

QFont ProgramFont(int pixels, bool bold) {
    QFont font("Arial");
    font.setPixelSize(pixels);
    if (bold) font.setWeight(QFont::Bold);
    return font;
}

void ApplyProgramFont(QApplication&) {
    QApplication::setFont(ProgramFont(13));
}

ModalForm::ModalForm(const char* objectName, const QString& title, QSize sizeDlu,
                     Messages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setObjectName(objectName);
    setWindowTitle(title);
    setFixedSize(Dlu(0, 0, sizeDlu.width(), sizeDlu.height()).size());
}

void ModalForm::Confirm() {
    if (Write()) accept();
}

WriteWatch::WriteWatch(Messages& under, Disk& disk, std::string_view file,
                       std::string_view notFound)
    : under_(under), disk_(disk), file_(file), notFound_(notFound) {
    disk_.Fail(DiskFault::None);  // a fault of an earlier call is not this write's reason
}

MessageAnswer WriteWatch::Show(std::string_view title, std::string_view text,
                               MessageButtons buttons, MessageIcon icon) {
    if (text != notFound_) return under_.Show(title, text, buttons, icon);
    failed_ = true;
    const DiskFault fault = disk_.LastFault();
    if (fault == DiskFault::None || fault == DiskFault::Missing) {
        return under_.Show(title, text, buttons, icon);
    }
    return under_.Show(title, CannotWrite(fault, file_), buttons, icon);
}

bool WriteWatch::Written(bool ok) {
    if (!ok) Error(notFound_);
    return ok && !failed_;
}

}  // namespace velkaro
