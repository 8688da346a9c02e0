#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <map>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace velkaro {

// The fonts and bitmaps a canvas makes. A canvas keeps its own for one paint; a widget that
// paints the same look after every passing keeps one store across its paints instead.
struct QtCanvasStore {
    struct CachedFont {
        Font key;
        QFont font;
        QFontMetrics metrics;
    };
    std::map<std::string, QPixmap, std::less<>> pixmaps;
    std::vector<CachedFont> fonts;
};

// Renders the drawing operations with a QPainter on whatever device it paints: a widget, an
// image, a printer page.
class QtCanvas : public Canvas {
  public:
    explicit QtCanvas(QPainter& painter, QtCanvasStore* store = nullptr)
        : painter_(painter), store_(store != nullptr ? *store : own_) {}

    void DrawText(Point at, std::string_view text, const TextStyle& style) override;
    void DrawLine(Point from, Point to, int penWidth, Rgb colour) override;
    void DrawRectangle(Rect r, int penWidth, Rgb pen, bool filled, Rgb fill) override;
    void FillRect(Rect r, Rgb colour) override;
    void FillGradient(Rect r, Rgb from, Rgb to, int steps, bool vertical) override;
    void DrawBitmap(std::string_view file, Rect into) override;
    void DrawEdge(Rect r, bool raised) override;
    FontMetrics MeasureFont(const Font& font) override;
    int TextWidth(std::string_view text, const Font& font) override;
    Point BitmapSize(std::string_view file) override;
    Point SurfaceSize() override;
    void SetIsotropicMapping(int logicalWidth, int logicalHeight) override;
    bool NewPage() override { return false; }

  protected:
    QPainter& painter_;

  private:
    const QPixmap& Pixmap(std::string_view file);
    const QtCanvasStore::CachedFont& Cached(const Font& font);
    QtCanvasStore own_;
    QtCanvasStore& store_;
};

QFont ToQFont(const Font& font);
QColor ToQColor(Rgb c);

}  // namespace velkaro
