#pragma once

#include <string_view>

namespace velkaro {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Modal message boxes, the one channel through which the system tells the user of a failure or
// asks a question. Title and text are Windows-1252.
class Messages {
  public:
    virtual ~Messages() = default;
    virtual MessageAnswer Show(std::string_view title, std::string_view text,
                               MessageButtons buttons, MessageIcon icon) = 0;

    // The usual failure box: title "Error", one OK button.
    void Error(std::string_view text) {
        Show("Error", text, MessageButtons::Ok, MessageIcon::Error);
    }
};

}  // namespace velkaro
