#include "common/notices.h"

namespace velkaro {

void PostNotice(NoticeLog& log, std::uint32_t tick, std::string_view text) {
    Notice& n = log.ring[log.posted % kNoticesKept];
    n.tick = tick;
    n.text.Assign(text);
    ++log.posted;
}

std::size_t NoticeCount(const NoticeLog& log) {
    return log.posted < kNoticesKept ? log.posted : kNoticesKept;
}

const Notice& NoticeAt(const NoticeLog& log, std::size_t i) {
    return log.ring[(log.posted - 1 - i) % kNoticesKept];
}

}  // namespace velkaro
