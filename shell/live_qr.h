#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace velkaro {

inline constexpr int kLiveQrCode = 2235;  // the pop-up over the address on the race panel

// The modules of a QR code, row after row: true where a module is dark.
struct QrMatrix {
    int width = 0;
    std::vector<bool> dark;
    bool Dark(int x, int y) const { return dark[std::size_t(y * width + x)]; }
};

// The text as a QR code of the smallest version that holds it at level M (a phone still reads
// it with a seventh of it smudged); width 0 when it cannot be encoded.
QrMatrix EncodeQr(const QByteArray& text);

// A QR code, as large as the widget allows, with the four modules of light margin the phones'
// readers need around it.
class QrCodeView : public QWidget {
  public:
    explicit QrCodeView(const QByteArray& text, QWidget* parent = nullptr);
    const QrMatrix& Matrix() const { return matrix_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QrMatrix matrix_;
};

// The live page's address on the race panel. Clicking it shows the address as a QR code for a
// phone to scan, above it, until the next click or Escape: the race stays in view meanwhile.
class LiveAddressLabel final : public QLabel {
  public:
    explicit LiveAddressLabel(QWidget* parent = nullptr);
    // The address the page is served at, shown with its QR code; empty when the server is off,
    // with why in `text`.
    void Show(const QString& url, const QString& text);
    const QString& Url() const { return url_; }
    QWidget* Popup() const { return popup_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QString url_;
    QPointer<QWidget> popup_;
};

}  // namespace velkaro
