#include "qualification/forms/form_parts.h"

#include <QIcon>

#include "forms_kit/form_kit.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"

namespace velkaro {

QLabel* FormLabel(QWidget* form, int id, const QString& text, QRect where) {
    auto* label = Place(new QLabel(text, form), id, text, where);
    label->setFont(ProgramFont(15));
    return label;
}

QLineEdit* FormEdit(QWidget* form, int id, const QString& label, QRect where, int limit,
                    bool digits) {
    auto* edit = Place(new QLineEdit(form), id, label, where);
    edit->setFont(ProgramFont(15));
    edit->setMaxLength(limit);
    if (digits) TakeDigits(*edit);
    return edit;
}

QPushButton* FormButton(QWidget* form, int id, const QString& text, QRect where) {
    auto* button = Place(new QPushButton(text, form), id, text, where);
    button->setFont(ProgramFont(15));
    button->setAutoDefault(false);
    return button;
}

QPushButton* PrintButton(QWidget* form, int id, QRect where, int inset) {
    auto* button = Place(new QPushButton(form), id, "Print", where);
    button->setIcon(QIcon(QString::fromStdString(FileSystemName(kPrintPicture))));
    button->setIconSize(where.size() - QSize(inset, inset));
    button->setAutoDefault(false);
    return button;
}

}  // namespace velkaro
