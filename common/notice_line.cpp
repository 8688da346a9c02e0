#include "common/notice_line.h"

#include <string>

namespace velkaro {

Text<400> NoticeLine(const Notice& notice, std::uint32_t nowTick, const LocalDateTime& now) {
    constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
    std::int64_t nowMs =
        ((now.hour * 60LL + now.minute) * 60 + now.second) * 1000 + now.millisecond;
    // The tick wraps: the difference of two ticks is the time between them all the same.
    std::int64_t postedMs = nowMs - static_cast<std::uint32_t>(nowTick - notice.tick);
    postedMs = (postedMs % kDayMs + kDayMs) % kDayMs;
    std::int64_t s = postedMs / 1000;
    Text<400> line;
    Format(line, "%02d:%02d:%02d  ", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
           static_cast<int>(s % 60));
    std::string text;
    for (char c : notice.text.View()) {
        if (c == '\r') continue;
        if (c == '\n') {
            text += " / ";
        } else {
            text += c;
        }
    }
    while (text.ends_with(" / ")) text.resize(text.size() - 3);
    line.Append(text);
    return line;
}

}  // namespace velkaro
