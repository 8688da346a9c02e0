#include "shell/live_screen_cache.h"

#include <QPainter>

namespace velkaro {

void LiveScreenPainter::Paint(QPainter& painter, const LiveScreenInput& in, QSize size) {
    BackdropKey key = BackdropKeyOf(in);
    if (!key_ || !(*key_ == key) || backdrop_.size() != size) {
        if (key_ && !(key_->settings == key.settings)) store_ = QtCanvasStore{};  // other fonts
        backdrop_ = QImage(size, QImage::Format_RGB32);
        backdrop_.fill(ToQColor(ColourOf(in.settings->colours[0])));
        QPainter backdropPainter(&backdrop_);
        QtCanvas canvas(backdropPainter, &store_);
        PaintLiveScreenBackdrop(canvas, in);
        key_ = std::move(key);
        ++backdropsPainted_;
    }
    // Only what the paint covers: after a passing, the run layer's areas.
    QRect covered =
        painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() : backdrop_.rect();
    covered &= backdrop_.rect();
    painter.drawImage(covered.topLeft(), backdrop_, covered);
    QtCanvas canvas(painter, &store_);
    PaintLiveScreenRun(canvas, in);
}

}  // namespace velkaro
