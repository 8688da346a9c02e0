#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>

// The controls the qualification forms build alike: the program's 15-pixel font, buttons that
// never take Enter for themselves, the print button with its picture.

namespace velkaro {

QLabel* FormLabel(QWidget* form, int id, const QString& text, QRect where);

// `digits`: the edit takes digits only, as the system's numeric edits always did.
QLineEdit* FormEdit(QWidget* form, int id, const QString& label, QRect where, int limit,
                    bool digits = false);

QPushButton* FormButton(QWidget* form, int id, const QString& text, QRect where);

// The picture fills the button but for `inset` pixels.
QPushButton* PrintButton(QWidget* form, int id, QRect where, int inset);

}  // namespace velkaro
