#pragma once

#include <QLineEdit>
#include <QValidator>

#include "common/transponder.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

// A transponder field takes digits only, at most six: a letter or a seventh digit is refused as
// it is typed.
class TransponderValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return TransponderTypingAllowed(FromQString(input)) ? Acceptable : Invalid;
    }
};

inline void MakeTransponderField(QLineEdit* edit) {
    edit->setMaxLength(kTransponderDigits);
    edit->setValidator(new TransponderValidator(edit));
}

}  // namespace velkaro
