#include "shell/live_screen_widget.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "forms_kit/form_kit.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

LiveScreenWidget::LiveScreenWidget(std::function<LiveScreenInput()> provider,
                                   std::array<std::int32_t, kColumns>& widths, QWidget* parent,
                                   bool viewOnly)
    : QWidget(parent), provider_(std::move(provider)), widths_(widths), viewOnly_(viewOnly) {
    setObjectName(viewOnly ? "RaceScreen" : "LiveScreen");
    setAccessibleName(viewOnly ? "Race screen" : "Live race screen");
    setMouseTracking(!viewOnly);
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName("201");
    scrollBar_->setAccessibleName("Scroll the results");
    scrollBar_->setRange(0, 0);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::actionTriggered, this, &LiveScreenWidget::OnScrollAction);
    if (!viewOnly) ScrollWithWheelAndKeys(*this, *scrollBar_, 1);
}

ScreenSize LiveScreenWidget::Screen() const {
    ScreenSize screen{width(), height(), 0};
    if (viewOnly_) {
        int units = 0;
        for (std::int32_t w : widths_) units += w;
        // The table spans 15 units of margin, the columns and 110 units of "Pos" and "Fin".
        screen.left = std::max(0, (width() - screen.X(units + 125)) / 2);
    }
    return screen;
}

LiveScreenInput LiveScreenWidget::Input() const {
    LiveScreenInput in = provider_();
    in.screen = Screen();
    in.widths = &widths_;
    in.measure = measure_;
    in.scrollPosition = scroll_.position;
    return in;
}

TableLayout LiveScreenWidget::Layout() const {
    return ComputeLayout(Screen(), widths_, measure_.rowHeight);
}

void LiveScreenWidget::Remeasure(int carsInRun) {
    carsInRun_ = carsInRun;
    LiveScreenInput in = Input();
    // Metrics need a device; a one-pixel image measures fonts as the screen does.
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter probePainter(&probe);
    QtCanvas canvas(probePainter);
    measure_ = MeasureTable(canvas, *in.settings, widths_, in.screen, carsInRun);
    scroll_ = ScrollFor(measure_, carsInRun);
    TableLayout l = Layout();
    scrollBar_->setRange(0, scroll_.maximum);
    scrollBar_->setPageStep(std::max(1, measure_.rowsThatFit));
    scrollBar_->setValue(0);
    scrollBar_->setGeometry(l.table.right, l.rowsTop, Screen().P(18), l.table.bottom - l.rowsTop);
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
    LiveScreenInput in = Input();
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
    LiveScreenInput in = Input();
    DescribeConflicts(in);
    // A new title or row count changes the backdrop: all of it then.
    if (!painter_.Holds(in)) {
        update();
        return;
    }
    for (const Rect& r : RunLayerAreas(in)) update(r.left, r.top, r.Width(), r.Height());
}

void LiveScreenWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter_.Paint(painter, Input(), size());
}

void LiveScreenWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Remeasure(carsInRun_);
    emit Resized();
}

void LiveScreenWidget::mouseMoveEvent(QMouseEvent* event) {
    if (viewOnly_) return;
    int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    if (dragColumn_ >= 0) {
        DragColumnBorder(widths_, dragColumn_, x - dragLastX_);
        dragLastX_ = x;
        update();
        return;
    }
    bool onBorder = ColumnBorderAt(Layout(), Screen(), x, y) >= 0;
    setCursor(onBorder ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void LiveScreenWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || viewOnly_) return;
    int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    TableLayout l = Layout();
    int border = ColumnBorderAt(l, Screen(), x, y);
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
        Remeasure(provider_().rowCount);
    }
}

}  // namespace velkaro
