#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace velkaro {

// Records every message box and answers from a script. A box shown with nothing scripted is
// unexpected: it is answered with the box's default (OK, or Cancel/No) and reported through
// onUnexpected, which the test support turns into a test failure.
class FakeMessages final : public Messages {
  public:
    struct Shown {
        std::string title;
        std::string text;
        MessageButtons buttons;
        MessageIcon icon;
    };

    MessageAnswer Show(std::string_view title, std::string_view text, MessageButtons buttons,
                       MessageIcon icon) override;

    // The answer to the next box; a box is then expected.
    void Expect(MessageAnswer answer) { script_.push_back(answer); }
    // Any number of boxes is acceptable, each answered with its default.
    bool allowAny = false;

    std::vector<Shown> shown;
    std::function<void(const Shown&)> onUnexpected;
    // Runs while a box is "open", before it is answered: a real box's modal loop keeps the
    // program's timer ticking, and a test puts those ticks here.
    std::function<void(const Shown&)> whileOpen;

  private:
    std::deque<MessageAnswer> script_;
};

}  // namespace velkaro
