#pragma once

#include <QString>
#include <cstdint>

#include "common/notices.h"
#include "forms_kit/form_kit.h"
#include "platform/clock.h"

class QLabel;
class QListWidget;

namespace velkaro {

inline constexpr int kNoticeList = 2250;
inline constexpr int kNoticeLogClose = 2251;

// The last notices, newest first, each with the time it came: what the race panel's line showed
// and what went before it. Only read, so Close and Escape are the same.
class NoticeLogForm final : public ModalForm {
  public:
    NoticeLogForm(const NoticeLog& log, Clock& clock, Messages& messages,
                  QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }

  private:
    QListWidget* list_ = nullptr;
};

// The race panel's line: the newest notice with its time, cut to the line's width (the whole in
// its tooltip). Only touches the label when a notice came since `seen`.
void ShowNewestNotice(QLabel& line, const NoticeLog& log, std::uint32_t& seen, Clock& clock);

}  // namespace velkaro
