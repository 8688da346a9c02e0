#pragma once

#include <cstdint>
#include <string_view>

#include "platform/text.h"

namespace velkaro {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Edges in device units; right and bottom are exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Font {
    Text<32> face{"Arial"};
    int height = 12;   // character height in device units
    int weight = 400;  // 400 normal, 700 bold, 900 black
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const Font&, const Font&) = default;
};

struct FontMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int averageCharWidth = 0;
};

enum class Align { Left, Centre, Right };

// How one text is drawn: at its point, x is the left edge, the centre or the right edge by the
// alignment, y the top of the character cell. With a background colour the cell is opaque.
struct TextStyle {
    Font font;
    Rgb colour;
    Align align = Align::Left;
    bool opaque = false;
    Rgb background;
};

// The drawing operations of the screens and the printed reports. Painting code of the logic
// draws on this interface; the platform renders on a widget, a printer page or an image, and
// tests record the operations.
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void DrawText(Point at, std::string_view text, const TextStyle& style) = 0;
    virtual void DrawLine(Point from, Point to, int penWidth, Rgb colour) = 0;
    // An outline with the pen, optionally filled.
    virtual void DrawRectangle(Rect r, int penWidth, Rgb pen, bool filled, Rgb fill) = 0;
    virtual void FillRect(Rect r, Rgb colour) = 0;
    // Colour interpolated component by component from `from` to `to` over `steps` bands, top to
    // bottom when vertical, left to right otherwise.
    virtual void FillGradient(Rect r, Rgb from, Rgb to, int steps, bool vertical) = 0;
    // A bitmap file (relative name, Windows-1252) stretched into the rectangle; a missing file
    // draws nothing.
    virtual void DrawBitmap(std::string_view file, Rect into) = 0;
    // Raised (or sunken) three-dimensional border inside the rectangle.
    virtual void DrawEdge(Rect r, bool raised) = 0;

    virtual FontMetrics MeasureFont(const Font& font) = 0;
    virtual int TextWidth(std::string_view text, const Font& font) = 0;
    // Natural size of a bitmap file, {0, 0} when it cannot be read.
    virtual Point BitmapSize(std::string_view file) = 0;

    // Size of the drawing surface in device units.
    virtual Point SurfaceSize() = 0;
    // Maps a logical width x height onto the surface keeping its aspect, centred: the isotropic
    // mapping of the printed reports. Measurements after it are in logical units.
    virtual void SetIsotropicMapping(int logicalWidth, int logicalHeight) = 0;
    // Ends the current page of a multi-page surface; false where pages do not exist.
    virtual bool NewPage() = 0;
};

}  // namespace velkaro
