#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace velkaro {

// A display list: what was drawn, in order, with exact coordinates. Metrics are fixed functions
// of the font height (height h: ascent 4h/5, average character width h/2), so that layouts are
// predictable under test. Replay() renders the list on a real canvas to look at it.
class RecordingCanvas final : public Canvas {
  public:
    enum class Kind { Text, Line, Rectangle, Fill, Gradient, Bitmap, Edge, Mapping, Page };

    // One operation; only the fields of its kind are meaningful.
    struct Op {
        Kind kind;
        Point at, to;      // Text: at; Line: at to; Mapping: at = logical size
        Rect r;            // Rectangle, Fill, Gradient, Bitmap, Edge
        std::string text;  // Text; Bitmap: the file
        TextStyle style;   // Text
        int penWidth = 0;
        Rgb colour, other;  // Line, Rectangle pen, Fill; Gradient from/to; Rectangle fill
        bool flag = false;  // Rectangle filled, Gradient vertical, Edge raised
        int steps = 0;      // Gradient
    };

    explicit RecordingCanvas(Point surface = {1600, 900}) : surface_(surface) {}

    void DrawText(Point at, std::string_view text, const TextStyle& style) override;
    void DrawLine(Point from, Point to, int penWidth, Rgb colour) override;
    void DrawRectangle(Rect r, int penWidth, Rgb pen, bool filled, Rgb fill) override;
    void FillRect(Rect r, Rgb colour) override;
    void FillGradient(Rect r, Rgb from, Rgb to, int steps, bool vertical) override;
    void DrawBitmap(std::string_view file, Rect into) override;
    void DrawEdge(Rect r, bool raised) override;
    FontMetrics MeasureFont(const Font& font) override;
    int TextWidth(std::string_view text, const Font& font) override;
    Point BitmapSize(std::string_view) override { return bitmapSize; }
    Point SurfaceSize() override { return surface_; }
    void SetIsotropicMapping(int logicalWidth, int logicalHeight) override;
    bool NewPage() override;

    // The texts drawn, in order.
    std::vector<std::string> Texts() const;
    // The operations of one kind, in order.
    std::vector<Op> OfKind(Kind kind) const;
    // Draws the recorded list on another canvas.
    void Replay(Canvas& target) const;
    // The list cut at each NewPage: one canvas per page.
    std::vector<RecordingCanvas> Pages() const;

    std::vector<Op> ops;
    Point bitmapSize{196, 50};
    // A letter's width in hundredths of the font's height: raise it for a broad face.
    int charWidthPercent = 50;
    // A printer that fails: NewPage refuses to start page number pageLimit (0: never).
    int pageLimit = 0;
    bool refusedPage = false;

  private:
    Op& Add(Kind kind);
    Point surface_;
};

}  // namespace velkaro
