#pragma once

#include "forms_kit/form_kit.h"
#include "platform/messages.h"
#include "timing/decoder_link.h"
#include "timing/run_control.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;

namespace velkaro {

// "Interface": the user picks the decoder's COM port and connects; the result is written to the
// interface settings file, which the link re-reads once the form closes.
class InterfaceForm final : public ModalForm {
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
    InterfaceSettings settings_;  // the form's own copy
    QPlainTextEdit* status_;
    QRadioButton* mk1_;
    QRadioButton* mk2_;
    QComboBox* ports_;
};

// What the timing forms read and change of the application.
struct TimingFormsContext {
    DecoderLink& link;
    RunEngine& engine;
};

struct FormHost;
class CommandRegistry;
// "Interface" (Settings menu): the link's watchdog rests while the form is open, and the link
// re-reads the settings file at the next tick. "Print" of the race panel: the run's sheet.
void RegisterTimingForms(CommandRegistry& commands, const FormHost& host,
                         TimingFormsContext context);

}  // namespace velkaro
