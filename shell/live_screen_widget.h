#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "shell/live_screen.h"
#include "shell/live_screen_cache.h"

class QScrollBar;

namespace velkaro {

// The right-hand part of the main window: paints the live race screen from what the shell
// provides, lets the user drag column borders, and reports row clicks.
class LiveScreenWidget final : public QWidget {
    Q_OBJECT

  public:
    // provider gives the paint's input; widths are the working column widths, changed by drags.
    // A view only (the race screen on a projector) takes no clicks and no drags.
    LiveScreenWidget(std::function<LiveScreenInput()> provider,
                     std::array<std::int32_t, kColumns>& widths, QWidget* parent = nullptr,
                     bool viewOnly = false);
    // The widget is the race area: the table, the panel and the clocks scale with its size. A
    // view alone on its screen has its table in the middle.
    ScreenSize Screen() const;

    // Measures the table again (fonts, widths or the run changed) and sets up the scroll bar.
    void Remeasure(int carsInRun);
    const TableMeasure& Measure() const { return measure_; }
    int ScrollPosition() const { return scroll_.position; }
    QScrollBar* ScrollBar() const { return scrollBar_; }
    const LiveScreenPainter& Painter() const { return painter_; }
    // After a change of the run: repaints where the run is shown, over the kept backdrop.
    void UpdateRun();

  signals:
    // A left click on visible row `standing` (scroll position included), with Ctrl or not.
    void RowClicked(int standing, int x, int y, bool ctrl);
    void ScrollChanged(int position);
    // The size changed and the table was measured again: the panel follows.
    void Resized();

  protected:
    // The tooltip of the radio-conflict line names every conflict.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void OnScrollAction(int action);
    TableLayout Layout() const;
    LiveScreenInput Input() const;
    // Assistive tools read the run's radio conflicts from the screen's description.
    void DescribeConflicts(const LiveScreenInput& in);

    std::function<LiveScreenInput()> provider_;
    std::array<std::int32_t, kColumns>& widths_;
    TableMeasure measure_;
    TableScroll scroll_;
    QScrollBar* scrollBar_;
    LiveScreenPainter painter_;
    bool viewOnly_ = false;
    int carsInRun_ = 0;
    int dragColumn_ = -1;
    int dragLastX_ = 0;
};

}  // namespace velkaro
