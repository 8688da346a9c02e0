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

}  // namespace velkaro
