#include "shell/live_screen_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

LiveScreenWidget::LiveScreenWidget(std::function<LiveScreenInput()> provider,
                                   std::array<std::int32_t, kColumns>& widths, QWidget* parent)
    : QWidget(parent), provider_(std::move(provider)), widths_(widths) {
    setObjectName("LiveScreen");
    setAccessibleName("Live race screen");
    setMouseTracking(true);
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName("201");
    scrollBar_->setAccessibleName("Scroll the results");
    scrollBar_->setRange(0, 0);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::actionTriggered, this, &LiveScreenWidget::OnScrollAction);
}

TableLayout LiveScreenWidget::Layout() const {
    LiveScreenInput in = provider_();
    return ComputeLayout(in.screen, widths_, measure_.rowHeight);
}

void LiveScreenWidget::Remeasure(int carsInRun) {
    LiveScreenInput in = provider_();
    // Metrics need a device; a one-pixel image measures fonts as the screen does.
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter probePainter(&probe);
    QtCanvas canvas(probePainter);
    measure_ = MeasureTable(canvas, *in.settings, widths_, in.screen, carsInRun);
    scroll_ = ScrollFor(measure_, carsInRun);
    TableLayout l = Layout();
    scrollBar_->setRange(0, scroll_.maximum);
    scrollBar_->setValue(0);
    scrollBar_->setGeometry(l.table.right, l.rowsTop, 18, l.table.bottom - l.rowsTop);
    scrollBar_->setVisible(scroll_.shown);
    DescribeConflicts(in);
    update();
}

void LiveScreenWidget::DescribeConflicts(const LiveScreenInput& in) {
    const QString details = ToQString(RadioConflictDetails(in));
    if (accessibleDescription() != details) setAccessibleDescription(details);
}

bool LiveScreenWidget::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    LiveScreenInput in = provider_();
    in.widths = &widths_;
    in.measure = measure_;
    const Rect area = RadioConflictArea(in);
    const QPoint at = help->pos();
    if (in.radioConflict && at.x() >= area.left && at.x() < area.right && at.y() >= area.top &&
        at.y() < area.bottom) {
        QToolTip::showText(help->globalPos(), ToQString(RadioConflictDetails(in)), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void LiveScreenWidget::OnScrollAction(int action) {
    bool changed = false;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            changed = ApplyScroll(scroll_, ScrollAction::LineUp);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            changed = ApplyScroll(scroll_, ScrollAction::LineDown);
            break;
        case QAbstractSlider::SliderPageStepSub:
            changed = ApplyScroll(scroll_, ScrollAction::PageUp);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            changed = ApplyScroll(scroll_, ScrollAction::PageDown);
            break;
        default:
            changed = ApplyScroll(scroll_, ScrollAction::Track, scrollBar_->sliderPosition());
            break;
    }
    // The scroll bar moves itself after this signal; make it land where the table did.
    scrollBar_->setSliderPosition(scroll_.position);
    if (changed) {
        emit ScrollChanged(scroll_.position);
        update();
    }
}

void LiveScreenWidget::UpdateRun() {
    LiveScreenInput in = provider_();
    DescribeConflicts(in);
    in.widths = &widths_;
    in.measure = measure_;
    in.scrollPosition = scroll_.position;
    // A new title or row count changes the backdrop: all of it then.
    if (!painter_.Holds(in)) {
        update();
        return;
    }
    for (const Rect& r : RunLayerAreas(in)) update(r.left, r.top, r.Width(), r.Height());
}

void LiveScreenWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    LiveScreenInput in = provider_();
    in.widths = &widths_;
    in.measure = measure_;
    in.scrollPosition = scroll_.position;
    painter_.Paint(painter, in, size());
}

void LiveScreenWidget::mouseMoveEvent(QMouseEvent* event) {
    int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    if (dragColumn_ >= 0) {
        DragColumnBorder(widths_, dragColumn_, x - dragLastX_);
        dragLastX_ = x;
        update();
        return;
    }
    LiveScreenInput in = provider_();
    bool onBorder = ColumnBorderAt(Layout(), in.screen, x, y) >= 0;
    setCursor(onBorder ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void LiveScreenWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    LiveScreenInput in = provider_();
    TableLayout l = Layout();
    int border = ColumnBorderAt(l, in.screen, x, y);
    if (border >= 0) {
        dragColumn_ = border;
        dragLastX_ = x;
        return;
    }
    int line = VisibleRowAt(l, measure_, y);
    if (line >= 0 && x >= l.table.left && x < l.table.right) {
        emit RowClicked(line + scroll_.position, x, y,
                        event->modifiers().testFlag(Qt::ControlModifier));
    }
}

void LiveScreenWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragColumn_ >= 0) {
        dragColumn_ = -1;
        LiveScreenInput in = provider_();
        Remeasure(in.rowCount);
    }
}

}  // namespace velkaro
