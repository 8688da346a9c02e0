#include "platform/fake/fake_messages.h"

namespace velkaro {

namespace {

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer FakeMessages::Show(std::string_view title, std::string_view text,
                                 MessageButtons buttons, MessageIcon icon) {
    shown.push_back({std::string(title), std::string(text), buttons, icon});
    if (whileOpen) whileOpen(Shown(shown.back()));  // a copy: the wait may show boxes of its own
    if (!script_.empty()) {
        MessageAnswer a = script_.front();
        script_.pop_front();
        return a;
    }
    if (!allowAny && onUnexpected) onUnexpected(shown.back());
    return DefaultAnswer(buttons);
}

}  // namespace velkaro
