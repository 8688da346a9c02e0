#pragma once

// Finds the texts of a window that do not fit their controls with the fonts the controls use,
// and the controls that lie over one another: every form and panel runs under these checks.

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QWidget>

namespace velkaro::test {

namespace text_fit {

inline QString Where(const QWidget* w) {
    return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}

// The room a line of text needs and the room it has, both in pixels; "" when it fits.
inline QString Misfit(const QWidget* w, const QString& text, QSize needs, QSize has) {
    if (needs.width() <= has.width() && needs.height() <= has.height()) return {};
    return QString("%1 \"%2\": needs %3x%4, has %5x%6")
        .arg(Where(w), text)
        .arg(needs.width())
        .arg(needs.height())
        .arg(has.width())
        .arg(has.height());
}

inline QSize TextSize(const QFontMetrics& fm, const QString& text) {
    QSize size;
    for (const QString& line : text.split('\n')) {
        size.setWidth(std::max(size.width(), fm.horizontalAdvance(line)));
        size.rheight() += fm.height();
    }
    return size;
}

inline QString Check(const QWidget* w) {
    QFontMetrics fm = w->fontMetrics();
    QStyle* style = w->style();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        QSize has =
            style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo)
                .size();
        for (int i = 0; i < combo->count(); ++i) {
            QString misfit = Misfit(w, combo->itemText(i), TextSize(fm, combo->itemText(i)), has);
            if (!misfit.isEmpty()) return misfit;
        }
        return {};
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->text().isEmpty()) return {};
        QSize needs = TextSize(fm, button->text());
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        QRect has;
        if (qobject_cast<const QPushButton*>(w)) {
            int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, w);
            int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &opt, w);
            has = w->rect().adjusted(frame + margin / 2, frame, -frame - margin / 2, -frame);
        } else {
            bool radio = w->inherits("QRadioButton");
            has = style->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, w);
            has.adjust(2, 0, 0, 0);  // the focus rectangle's room before the text
        }
        return Misfit(w, button->text(), needs, has.size());
    }
    if (auto* box = qobject_cast<const QGroupBox*>(w)) {
        if (box->title().isEmpty()) return {};
        // The title sits in the frame's top left, indented by the style.
        QSize needs = TextSize(QFontMetrics(box->font()), box->title());
        return Misfit(w, box->title(), needs + QSize(16, 0), QSize(box->width(), needs.height()));
    }
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty()) return {};
        QRect has = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                   -label->margin(), -label->margin());
        if (label->wordWrap()) {  // the lines it breaks into must all show
            return Misfit(w, label->text(), QSize(w->width(), label->heightForWidth(w->width())),
                          w->size());
        }
        return Misfit(w, label->text(), TextSize(fm, label->text()), has.size());
    }
    return {};
}

// A frame drawn around controls: a group box, or a bare frame or caption-less framed label.
inline bool IsFrame(const QWidget* w) {
    if (qobject_cast<const QGroupBox*>(w)) return true;
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text().isEmpty() && label->pixmap().isNull() &&
               label->frameShape() != QFrame::NoFrame;
    }
    return w->metaObject() == &QFrame::staticMetaObject;
}

// The controls a user sees on root: what its frames and plain containers hold, not the parts
// composite controls are built of (a combo's edit, a list's viewport).
inline void CollectControls(const QWidget& root, const QWidget& under, QList<const QWidget*>& out) {
    for (const QObject* o : under.children()) {
        auto* w = qobject_cast<const QWidget*>(o);
        if (w == nullptr || w->isWindow() || !w->isVisibleTo(&root)) continue;
        out.push_back(w);
        if (IsFrame(w) || w->metaObject() == &QWidget::staticMetaObject) {
            CollectControls(root, *w, out);
        }
    }
}

}  // namespace text_fit

// Every pair of visible controls of root that lie over one another, one line each; a frame
// around a control is no overlap.
inline QStringList OverlappingControls(const QWidget& root) {
    QList<const QWidget*> controls;
    text_fit::CollectControls(root, root, controls);
    auto area = [&root](const QWidget* w) { return QRect(w->mapTo(&root, QPoint()), w->size()); };
    QStringList found;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QWidget* a = controls[i];
            const QWidget* b = controls[j];
            const QRect ra = area(a), rb = area(b);
            if (!ra.intersects(rb) || a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
            if ((text_fit::IsFrame(a) && ra.contains(rb)) ||
                (text_fit::IsFrame(b) && rb.contains(ra))) {
                continue;
            }
            found.push_back(QString("%1 and %2 overlap at %3,%4 %5x%6")
                                .arg(text_fit::Where(a), text_fit::Where(b))
                                .arg((ra & rb).x())
                                .arg((ra & rb).y())
                                .arg((ra & rb).width())
                                .arg((ra & rb).height()));
        }
    }
    return found;
}

// Every text of root and its children that does not fit, one line each.
inline QStringList ClippedTexts(const QWidget& root) {
    QStringList found;
    QList<const QWidget*> all{&root};
    for (const QWidget* w : root.findChildren<const QWidget*>()) all.push_back(w);
    for (const QWidget* w : all) {
        QString misfit = text_fit::Check(w);
        if (!misfit.isEmpty()) found.push_back(misfit);
    }
    return found;
}

}  // namespace velkaro::test
