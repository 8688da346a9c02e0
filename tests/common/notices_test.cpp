#include <gtest/gtest.h>

#include "common/notice_line.h"
#include "common/notices.h"

namespace velkaro {
namespace {

// Each notice as the panel and the log show it: the time of day it was posted, one line.
TEST(Notices, ALineGivesTheTimeItWasPostedAndTheTextOnOneLine) {
    struct Case {
        std::uint32_t posted, nowTick;
        LocalDateTime now;
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {1000,
         4500,
         {.hour = 14, .minute = 3, .second = 10, .millisecond = 200},
         "Link lost",
         "14:03:06  Link lost"},
        // Posted before midnight, shown after it; and across the tick's wrap.
        {0xFFFFFF00u,
         0x100u,
         {.hour = 0, .minute = 0, .second = 0, .millisecond = 100},
         "Failure at 1:05.300.\nConnection restored at 1:18.900.",
         "23:59:59  Failure at 1:05.300. / Connection restored at 1:18.900."},
        {5, 5, {.hour = 9}, "A\r\nB\n", "09:00:00  A / B"},
    };
    for (const Case& c : cases) {
        NoticeLog log;
        PostNotice(log, c.posted, c.text);
        EXPECT_EQ(NoticeLine(NoticeAt(log, 0), c.nowTick, c.now), c.line) << c.text;
    }
}

}  // namespace
}  // namespace velkaro
