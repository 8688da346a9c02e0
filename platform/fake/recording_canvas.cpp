#include "platform/fake/recording_canvas.h"

namespace velkaro {

RecordingCanvas::Op& RecordingCanvas::Add(Kind kind) {
    ops.emplace_back();
    ops.back().kind = kind;
    return ops.back();
}

void RecordingCanvas::DrawText(Point at, std::string_view text, const TextStyle& style) {
    Op& op = Add(Kind::Text);
    op.at = at;
    op.text = std::string(text);
    op.style = style;
}

void RecordingCanvas::DrawLine(Point from, Point to, int penWidth, Rgb colour) {
    Op& op = Add(Kind::Line);
    op.at = from;
    op.to = to;
    op.penWidth = penWidth;
    op.colour = colour;
}

void RecordingCanvas::DrawRectangle(Rect r, int penWidth, Rgb pen, bool filled, Rgb fill) {
    Op& op = Add(Kind::Rectangle);
    op.r = r;
    op.penWidth = penWidth;
    op.colour = pen;
    op.flag = filled;
    op.other = fill;
}

void RecordingCanvas::FillRect(Rect r, Rgb colour) {
    Op& op = Add(Kind::Fill);
    op.r = r;
    op.colour = colour;
}

void RecordingCanvas::FillGradient(Rect r, Rgb from, Rgb to, int steps, bool vertical) {
    Op& op = Add(Kind::Gradient);
    op.r = r;
    op.colour = from;
    op.other = to;
    op.steps = steps;
    op.flag = vertical;
}

void RecordingCanvas::DrawBitmap(std::string_view file, Rect into) {
    Op& op = Add(Kind::Bitmap);
    op.text = std::string(file);
    op.r = into;
}

void RecordingCanvas::DrawEdge(Rect r, bool raised) {
    Op& op = Add(Kind::Edge);
    op.r = r;
    op.flag = raised;
}

FontMetrics RecordingCanvas::MeasureFont(const Font& font) {
    int h = font.height < 0 ? -font.height : font.height;
    return {h, h * 4 / 5, h - h * 4 / 5, h * charWidthPercent / 100};
}

int RecordingCanvas::TextWidth(std::string_view text, const Font& font) {
    return static_cast<int>(text.size()) * MeasureFont(font).averageCharWidth;
}

void RecordingCanvas::SetIsotropicMapping(int logicalWidth, int logicalHeight) {
    Add(Kind::Mapping).at = {logicalWidth, logicalHeight};
    surface_ = {logicalWidth, logicalHeight};
}

bool RecordingCanvas::NewPage() {
    if (pageLimit > 0 && int(OfKind(Kind::Page).size()) + 2 >= pageLimit) {
        refusedPage = true;
        return false;
    }
    Add(Kind::Page);
    return true;
}

std::vector<RecordingCanvas> RecordingCanvas::Pages() const {
    std::vector<RecordingCanvas> pages(1, RecordingCanvas(surface_));
    for (const Op& op : ops) {
        if (op.kind == Kind::Page) {
            pages.emplace_back(surface_);
        } else {
            pages.back().ops.push_back(op);
        }
    }
    return pages;
}

std::vector<std::string> RecordingCanvas::Texts() const {
    std::vector<std::string> texts;
    for (const Op& op : ops) {
        if (op.kind == Kind::Text) texts.push_back(op.text);
    }
    return texts;
}

std::vector<RecordingCanvas::Op> RecordingCanvas::OfKind(Kind kind) const {
    std::vector<Op> found;
    for (const Op& op : ops) {
        if (op.kind == kind) found.push_back(op);
    }
    return found;
}

void RecordingCanvas::Replay(Canvas& target) const {
    for (const Op& op : ops) {
        switch (op.kind) {
            case Kind::Text:
                target.DrawText(op.at, op.text, op.style);
                break;
            case Kind::Line:
                target.DrawLine(op.at, op.to, op.penWidth, op.colour);
                break;
            case Kind::Rectangle:
                target.DrawRectangle(op.r, op.penWidth, op.colour, op.flag, op.other);
                break;
            case Kind::Fill:
                target.FillRect(op.r, op.colour);
                break;
            case Kind::Gradient:
                target.FillGradient(op.r, op.colour, op.other, op.steps, op.flag);
                break;
            case Kind::Bitmap:
                target.DrawBitmap(op.text, op.r);
                break;
            case Kind::Edge:
                target.DrawEdge(op.r, op.flag);
                break;
            case Kind::Mapping:
                target.SetIsotropicMapping(op.at.x, op.at.y);
                break;
            case Kind::Page:
                target.NewPage();
                break;
        }
    }
}

}  // namespace velkaro
