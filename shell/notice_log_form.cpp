#include "shell/notice_log_form.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "common/notice_line.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

NoticeLogForm::NoticeLogForm(const NoticeLog& log, Clock& clock, Messages& messages,
                             QWidget* parent)
    : ModalForm("NOTICES", "Notices", QSize(360, 190), messages, parent) {
    list_ = Place(new QListWidget(this), kNoticeList, "Notices kept", Dlu(7, 7, 346, 156));
    std::uint32_t nowTick = clock.TickMs();
    LocalDateTime now = clock.Now();
    for (std::size_t i = 0; i < NoticeCount(log); ++i) {
        list_->addItem(ToQString(NoticeLine(NoticeAt(log, i), nowTick, now).View()));
    }
    auto* close =
        Place(new QPushButton("Close", this), kNoticeLogClose, "Close", Dlu(303, 168, 50, 15));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void ShowNewestNotice(QLabel& line, const NoticeLog& log, std::uint32_t& seen, Clock& clock) {
    if (log.posted == seen) return;
    seen = log.posted;
    if (NoticeCount(log) == 0) {
        line.clear();
        line.setToolTip({});
        return;
    }
    QString text = ToQString(NoticeLine(NoticeAt(log, 0), clock.TickMs(), clock.Now()).View());
    line.setText(line.fontMetrics().elidedText(text, Qt::ElideRight, line.width()));
    line.setToolTip(text);
}

}  // namespace velkaro
