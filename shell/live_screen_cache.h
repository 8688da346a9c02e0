#pragma once

#include <QImage>
#include <QSize>
#include <optional>

#include "platform/qt/qt_canvas.h"
#include "shell/live_screen.h"

class QPainter;

namespace velkaro {

// Paints the live screen after every counted passing without painting again what the passing
// left as it was: the backdrop (colour 0 around the table, logo, table, watermark, title,
// headings, row bands) is kept as an image and painted afresh only when what it is made of
// changes; the run layer is drawn over it each time. Fonts and bitmaps are kept with it.
class LiveScreenPainter {
  public:
    void Paint(QPainter& painter, const LiveScreenInput& in, QSize size);
    // How many times the backdrop was painted: once per look, title, table size or row count.
    int BackdropsPainted() const { return backdropsPainted_; }
    // The kept backdrop is the one of this input.
    bool Holds(const LiveScreenInput& in) const { return key_ && *key_ == BackdropKeyOf(in); }

  private:
    QImage backdrop_;
    std::optional<BackdropKey> key_;
    QtCanvasStore store_;
    int backdropsPainted_ = 0;
};

}  // namespace velkaro
