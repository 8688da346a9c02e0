#pragma once

#include <QDialog>

#include "platform/messages.h"
#include "timing/decoder_link.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;

namespace velkaro {

// "Interface": the user picks the decoder's COM port and connects; the result is written to the
// interface settings file, which the link re-reads once the form closes.
class InterfaceForm final : public QDialog {
    Q_OBJECT

  public:
    InterfaceForm(DecoderLink& link, Messages& messages, QWidget* parent = nullptr);

    const InterfaceSettings& Settings() const { return settings_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Connect();
    void ShowType();

    DecoderLink& link_;
    Messages& messages_;
    InterfaceSettings settings_;  // the form's own copy
    QPlainTextEdit* status_;
    QRadioButton* mk1_;
    QRadioButton* mk2_;
    QComboBox* ports_;
};

}  // namespace velkaro
