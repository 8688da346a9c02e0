#include "platform/dialogs.h"

namespace velkaro {

Text<160> DocumentFileName(std::string_view documentName) {
    std::string_view name = documentName;
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    while (!name.empty() && (name.front() == ' ' || name.front() == '.')) name.remove_prefix(1);
    Text<160> out;
    for (char c : name) {
        const bool odd = c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
                         c == '<' || c == '>' || c == '|' || static_cast<unsigned char>(c) < 32;
        const char shown[2] = {odd ? '-' : c, 0};
        out.Append(std::string_view(shown, 1));
    }
    return out;
}

}  // namespace velkaro
