#include "shell/live_qr.h"

#include <qrencode.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <memory>

#include "forms_kit/form_kit.h"

namespace velkaro {

namespace {
constexpr int kQuietModules = 4;
constexpr int kPopupModulePixels = 6;
}  // namespace

QrMatrix EncodeQr(const QByteArray& text) {
    // Eight-bit mode keeps the text byte for byte; version 0 lets the library take the smallest.
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M), QRcode_free);
    QrMatrix m;
    if (!code) return m;
    m.width = code->width;
    m.dark.resize(std::size_t(m.width) * std::size_t(m.width));
    for (std::size_t i = 0; i < m.dark.size(); ++i) m.dark[i] = (code->data[i] & 1) != 0;
    return m;
}

QrCodeView::QrCodeView(const QByteArray& text, QWidget* parent)
    : QWidget(parent), matrix_(EncodeQr(text)) {
    setAccessibleDescription(QString::fromUtf8(text));
}

void QrCodeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const int span = matrix_.width + 2 * kQuietModules;
    if (matrix_.width == 0) return;
    // Whole pixels per module: a reader finds blurred edges between modules harder to split.
    const int module = std::min(width(), height()) / span;
    const int left = (width() - module * span) / 2 + kQuietModules * module;
    const int top = (height() - module * span) / 2 + kQuietModules * module;
    for (int y = 0; y < matrix_.width; ++y) {
        for (int x = 0; x < matrix_.width; ++x) {
            if (matrix_.Dark(x, y)) {
                p.fillRect(left + x * module, top + y * module, module, module, Qt::black);
            }
        }
    }
}

namespace {
// The QR code as a pop-up: a click anywhere else closes it, as does Escape.
class QrPopup final : public QrCodeView {
  public:
    QrPopup(const QByteArray& text, QWidget* parent) : QrCodeView(text, parent) {
        setWindowFlags(Qt::Popup);
        setAttribute(Qt::WA_DeleteOnClose);
        const int side = (Matrix().width + 2 * kQuietModules) * kPopupModulePixels;
        setFixedSize(side, side);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            close();
        } else {
            QrCodeView::keyPressEvent(event);
        }
    }
};
}  // namespace

LiveAddressLabel::LiveAddressLabel(QWidget* parent) : QLabel(parent) {}

void LiveAddressLabel::Show(const QString& url, const QString& text) {
    url_ = url;
    setText(text);
    if (popup_) popup_->close();
    setCursor(url.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    setToolTip(url.isEmpty() ? QString() : QStringLiteral("Click for a QR code to scan"));
}

void LiveAddressLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (url_.isEmpty() || event->button() != Qt::LeftButton) return;
    auto* popup = Name(new QrPopup(url_.toUtf8(), this), kLiveQrCode, "Live page QR code");
    // Above the address, inside the screen: the panel's lower edge is near the screen's.
    QPoint at = mapToGlobal(QPoint(0, -popup->height() - 4));
    if (const QScreen* s = screen()) {
        QRect room = s->availableGeometry();
        at.setX(
            std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - popup->width())));
        at.setY(
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - popup->height())));
    }
    popup->move(at);
    popup->show();
    popup_ = popup;
}

}  // namespace velkaro
