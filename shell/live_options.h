#pragma once

#include <QWidget>

#include "common/commands.h"
#include "forms_kit/form_host.h"
#include "forms_kit/form_kit.h"
#include "shell/live_qr.h"
#include "shell/live_server.h"

class QCheckBox;
class QLineEdit;

namespace velkaro {

inline constexpr int kLiveOnCheck = 3801;
inline constexpr int kLivePortEdit = 3803;
inline constexpr int kLiveAddressText = 3804;
inline constexpr int kLiveAddressPanelText = 2234;  // under the sound's alert on the race panel

// "Live page": whether phones on the local network may follow the race, and on which port.
class LiveOptionsForm final : public ModalForm {
  public:
    LiveOptionsForm(Messages& messages, Disk& disk, const QString& address,
                    QWidget* parent = nullptr);
    const LiveSettings& Settings() const { return settings_; }

  private:
    bool Write() override;

    Disk& disk_;
    LiveSettings settings_;
    QCheckBox* on_ = nullptr;
    QLineEdit* port_ = nullptr;
};

// The server follows the settings: on at start-up when the director left it on, and again
// after the form; the address and its QR code (or why the port could not be had) go to `shown`.
void ApplyLiveSettings(LiveServer& server, const LiveSettings& settings, LiveAddressLabel& shown);

void RegisterLiveForms(CommandRegistry& commands, FormHost& host, LiveServer& server,
                       LiveAddressLabel& shown);

}  // namespace velkaro
