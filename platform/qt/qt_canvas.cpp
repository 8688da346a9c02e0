#include "platform/qt/qt_canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>

#include "platform/cp1252.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QFont ToQFont(const Font& font) {
    QFont f(ToQString(font.face.View()));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight / 10 * 10, 100, 900)));
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    // A height is the character cell's (ascent and descent), as the screens compute it; Qt's
    // pixel size is the em, a little smaller.
    int cell = std::max(1, font.height < 0 ? -font.height : font.height);
    f.setPixelSize(100);
    int cellAt100 = QFontMetrics(f).height();
    f.setPixelSize(std::max(1, cellAt100 > 0 ? cell * 100 / cellAt100 : cell));
    return f;
}

const QtCanvasStore::CachedFont& QtCanvas::Cached(const Font& font) {
    for (const QtCanvasStore::CachedFont& c : store_.fonts) {
        if (c.key == font) return c;
    }
    QFont f = ToQFont(font);
    store_.fonts.push_back({font, f, QFontMetrics(f, painter_.device())});
    return store_.fonts.back();
}

void QtCanvas::DrawText(Point at, std::string_view text, const TextStyle& style) {
    const QtCanvasStore::CachedFont& cached = Cached(style.font);
    const QFont& f = cached.font;
    const QFontMetrics& fm = cached.metrics;
    QString s = ToQString(text);
    int w = fm.horizontalAdvance(s);
    int x = style.align == Align::Left     ? at.x
            : style.align == Align::Centre ? at.x - w / 2
                                           : at.x - w;
    if (style.opaque) painter_.fillRect(x, at.y, w, fm.height(), ToQColor(style.background));
    painter_.setFont(f);
    painter_.setPen(ToQColor(style.colour));
    painter_.drawText(x, at.y + fm.ascent(), s);
}

void QtCanvas::DrawLine(Point from, Point to, int penWidth, Rgb colour) {
    painter_.setPen(QPen(ToQColor(colour), std::max(penWidth, 0)));
    painter_.drawLine(from.x, from.y, to.x, to.y);
}

void QtCanvas::DrawRectangle(Rect r, int penWidth, Rgb pen, bool filled, Rgb fill) {
    if (filled) painter_.fillRect(r.left, r.top, r.Width(), r.Height(), ToQColor(fill));
    if (penWidth > 0) {
        QPen p(ToQColor(pen), penWidth);
        p.setJoinStyle(Qt::MiterJoin);
        painter_.setPen(p);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(r.left, r.top, r.Width() - 1, r.Height() - 1);
    }
}

void QtCanvas::FillRect(Rect r, Rgb colour) {
    painter_.fillRect(r.left, r.top, r.Width(), r.Height(), ToQColor(colour));
}

void QtCanvas::FillGradient(Rect r, Rgb from, Rgb to, int steps, bool vertical) {
    if (steps < 1) steps = 1;
    int length = vertical ? r.Height() : r.Width();
    for (int i = 0; i < steps; ++i) {
        int a = length * i / steps, b = length * (i + 1) / steps;
        auto mix = [&](int p, int q) { return p + (q - p) * i / std::max(steps - 1, 1); };
        QColor c(mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b));
        if (vertical) {
            painter_.fillRect(r.left, r.top + a, r.Width(), b - a, c);
        } else {
            painter_.fillRect(r.left + a, r.top, b - a, r.Height(), c);
        }
    }
}

const QPixmap& QtCanvas::Pixmap(std::string_view file) {
    auto it = store_.pixmaps.find(file);
    if (it == store_.pixmaps.end()) {
        it = store_.pixmaps
                 .emplace(std::string(file), QPixmap(QString::fromStdString(FileSystemName(file))))
                 .first;
    }
    return it->second;
}

void QtCanvas::DrawBitmap(std::string_view file, Rect into) {
    const QPixmap& p = Pixmap(file);
    if (!p.isNull())
        painter_.drawPixmap(QRect(into.left, into.top, into.Width(), into.Height()), p);
}

void QtCanvas::DrawEdge(Rect r, bool raised) {
    QColor light(255, 255, 255), dark(105, 105, 105);
    QColor tl = raised ? light : dark, br = raised ? dark : light;
    painter_.setPen(QPen(tl, 1));
    painter_.drawLine(r.left, r.top, r.right - 1, r.top);
    painter_.drawLine(r.left, r.top, r.left, r.bottom - 1);
    painter_.setPen(QPen(br, 1));
    painter_.drawLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
    painter_.drawLine(r.right - 1, r.top, r.right - 1, r.bottom - 1);
}

FontMetrics QtCanvas::MeasureFont(const Font& font) {
    const QFontMetrics& fm = Cached(font).metrics;
    return {fm.height(), fm.ascent(), fm.descent(), fm.averageCharWidth()};
}

int QtCanvas::TextWidth(std::string_view text, const Font& font) {
    return Cached(font).metrics.horizontalAdvance(ToQString(text));
}

Point QtCanvas::BitmapSize(std::string_view file) {
    const QPixmap& p = Pixmap(file);
    return {p.width(), p.height()};
}

Point QtCanvas::SurfaceSize() {
    QRect w = painter_.window();
    return {w.width(), w.height()};
}

void QtCanvas::SetIsotropicMapping(int logicalWidth, int logicalHeight) {
    QPaintDevice* d = painter_.device();
    int dw = d->width(), dh = d->height();
    // The largest centred viewport of the logical aspect.
    double scale = std::min(double(dw) / logicalWidth, double(dh) / logicalHeight);
    int vw = int(logicalWidth * scale), vh = int(logicalHeight * scale);
    painter_.setViewport((dw - vw) / 2, (dh - vh) / 2, vw, vh);
    painter_.setWindow(0, 0, logicalWidth, logicalHeight);
}

}  // namespace velkaro
