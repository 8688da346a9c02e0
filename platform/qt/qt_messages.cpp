#include "platform/qt/qt_messages.h"

#include <QMessageBox>

#include "platform/qt/qt_text.h"

namespace velkaro {

MessageAnswer QtMessages::Show(std::string_view title, std::string_view text,
                               MessageButtons buttons, MessageIcon icon) {
    QMessageBox::Icon qIcon = QMessageBox::NoIcon;
    switch (icon) {
        case MessageIcon::None:
            break;
        case MessageIcon::Information:
            qIcon = QMessageBox::Information;
            break;
        case MessageIcon::Warning:
            qIcon = QMessageBox::Warning;
            break;
        case MessageIcon::Error:
            qIcon = QMessageBox::Critical;
            break;
        case MessageIcon::Question:
            qIcon = QMessageBox::Question;
            break;
    }
    QMessageBox::StandardButtons qButtons = QMessageBox::Ok;
    switch (buttons) {
        case MessageButtons::Ok:
            break;
        case MessageButtons::OkCancel:
            qButtons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MessageButtons::YesNo:
            qButtons = QMessageBox::Yes | QMessageBox::No;
            break;
        case MessageButtons::YesNoCancel:
            qButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
    }
    QString body = ToQString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(qIcon, ToQString(title), body, qButtons, parent_);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Ok;
    }
}

}  // namespace velkaro
