#include "shell/live_options.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/qt_text.h"

namespace velkaro {

LiveOptionsForm::LiveOptionsForm(Messages& messages, Disk& disk, const QString& address,
                                 QWidget* parent)
    : ModalForm("OPTIONSLIVE", "Live page", QSize(230, 106), messages, parent), disk_(disk) {
    setFont(ProgramFont(16));
    settings_ = ReadLiveSettings(disk_);
    const QString onLabel = "Serve the live page on the local network";
    on_ = Place(new QCheckBox(onLabel, this), kLiveOnCheck, onLabel, Dlu(10, 8, 210, 12));
    on_->setChecked(settings_.on);
    Place(new QLabel("Port", this), 3802, "Port", Dlu(10, 28, 40, 12));
    port_ = Place(new QLineEdit(QString::number(settings_.port), this), kLivePortEdit, "Port",
                  Dlu(52, 26, 50, 14));
    port_->setMaxLength(5);
    QString shown =
        address.isEmpty() ? QStringLiteral("The live page is off.") : "Phones open " + address;
    Place(new QLabel(shown, this), kLiveAddressText, "Address", Dlu(10, 48, 210, 24))
        ->setWordWrap(true);
    auto* ok = Place(new QPushButton("Ok", this), 1, "Ok", Dlu(55, 82, 50, 16));
    auto* cancel = Place(new QPushButton("Cancel", this), 2, "Cancel", Dlu(125, 82, 50, 16));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool LiveOptionsForm::Write() {
    std::int32_t port = TakeLivePort(port_->text().toStdString());
    if (port == 0) {
        messages_.Error(kLivePortRefused);
        return false;
    }
    settings_.on = on_->isChecked();
    settings_.port = port;
    if (!WriteLiveSettings(settings_, disk_)) {
        messages_.Error(CannotWrite(disk_.LastFault(), kLiveSettingsFile));
        return false;
    }
    return true;
}

void ApplyLiveSettings(LiveServer& server, const LiveSettings& settings, LiveAddressLabel& shown) {
    server.Stop();
    if (!settings.on) {
        shown.Show({}, {});
        return;
    }
    if (server.Start(quint16(settings.port))) {
        shown.Show(server.Address(), "Live page: " + server.Address());
    } else {
        shown.Show({}, QStringLiteral("Live page: port %1 is taken").arg(settings.port));
    }
}

void RegisterLiveForms(CommandRegistry& commands, FormHost& host, LiveServer& server,
                       LiveAddressLabel& shown) {
    commands.Add(kLivePageCommand, [&host, &server, &shown] {
        LiveSettings settings;
        {
            LiveOptionsForm form(host.platform.messages, *host.platform.disk, server.Address(),
                                 host.window);
            if (form.Run() != QDialog::Accepted) return;
            settings = form.Settings();
        }
        ApplyLiveSettings(server, settings, shown);
    });
}

}  // namespace velkaro
