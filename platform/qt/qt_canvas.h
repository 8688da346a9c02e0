#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <map>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace velkaro {

// Renders the drawing operations with a QPainter on whatever device it paints: a widget, an
// image, a printer page.
class QtCanvas : public Canvas {
  public:
    explicit QtCanvas(QPainter& painter) : painter_(painter) {}

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
    struct CachedFont {
        Font key;
        QFont font;
        QFontMetrics metrics;
    };
    const QPixmap& Pixmap(std::string_view file);
    const CachedFont& Cached(const Font& font);
    // Fonts and bitmaps live as long as the canvas: one paint.
    std::map<std::string, QPixmap, std::less<>> pixmaps_;
    std::vector<CachedFont> fonts_;
};

QFont ToQFont(const Font& font);
QColor ToQColor(Rgb c);

}  // namespace velkaro
