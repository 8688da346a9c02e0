#include "timing/forms/interface_form.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "forms_kit/form_host.h"
#include "forms_kit/form_kit.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_text.h"
#include "timing/interface_status.h"
#include "timing/run_printout.h"

namespace velkaro {

namespace {

QString StatusText(std::string_view cp1252) {
    return ToQString(cp1252).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

InterfaceForm::InterfaceForm(DecoderLink& link, Messages& messages, QWidget* parent)
    : ModalForm("INTERFACE", "Interface", QSize(200, 250), messages, parent), link_(link) {
    QFont normal = ProgramFont(16);
    QFont bold = ProgramFont(16, true);

    auto* heading =
        Place(new QLabel("Decoder Velkaro", this), 3907, "Decoder Velkaro", Dlu(20, 10, 160, 20));
    heading->setFont(bold);
    Place(new QGroupBox("Message", this), 3908, "Message", Dlu(10, 40, 180, 80))->setFont(bold);
    status_ = Place(new QPlainTextEdit(this), 3903, "Status", Dlu(20, 50, 160, 60));
    status_->setReadOnly(true);
    status_->setFont(normal);
    Place(new QGroupBox("Decoder:", this), 3906, "Decoder:", Dlu(10, 130, 180, 35))->setFont(bold);
    mk1_ = Place(new QRadioButton("Velkaro MK1", this), 3901, "Velkaro MK1", Dlu(25, 145, 70, 12));
    mk2_ = Place(new QRadioButton("Velkaro MK2", this), 3902, "Velkaro MK2", Dlu(100, 145, 70, 12));
    mk1_->setFont(normal);
    mk2_->setFont(normal);
    auto* group = new QButtonGroup(this);
    group->addButton(mk1_);
    group->addButton(mk2_);
    Place(new QGroupBox("COM Port", this), 3909, "COM Port", Dlu(10, 170, 180, 70))->setFont(bold);
    ports_ = Place(new QComboBox(this), 3904, "COM Port", Dlu(30, 188, 60, 16));
    ports_->setFont(normal);
    auto* connectButton =
        Place(new QPushButton("Connect", this), 3905, "Connect", Dlu(100, 188, 60, 16));
    connectButton->setFont(normal);
    connectButton->setDefault(true);
    auto* ok = Place(new QPushButton("Ok", this), 1, "Ok", Dlu(75, 218, 50, 16));
    ok->setFont(normal);
    ok->setAutoDefault(false);

    for (int n = 1; n <= 49; ++n) ports_->addItem(QString("COM%1").arg(n));

    if (!ReadInterfaceSettings(settings_, *link_.disk)) messages_.Error(kInterfaceFileNotFound);
    ShowType();
    status_->setPlainText(StatusText(InterfaceStatusOnOpen(settings_)));
    ports_->setCurrentIndex(ports_->findText(ToQString(settings_.port.View()), Qt::MatchExactly));

    connect(mk1_, &QRadioButton::clicked, this, [this] { settings_.interfaceType = kMk1Type; });
    connect(mk2_, &QRadioButton::clicked, this, [this] { settings_.interfaceType = kMk2Type; });
    connect(connectButton, &QPushButton::clicked, this, &InterfaceForm::Connect);
    connect(ok, &QPushButton::clicked, this, &InterfaceForm::Confirm);
}

void InterfaceForm::ShowType() {
    (settings_.interfaceType == kMk1Type ? mk1_ : mk2_)->setChecked(true);
}

void InterfaceForm::Connect() {
    ClosePort(*link_.port);
    std::string port = FromQString(ports_->currentIndex() >= 0 ? ports_->currentText() : "");
    status_->setPlainText(StatusText(kConnectAttemptStatus));
    status_->repaint();
    settings_.ready = 0;
    DetectResult result = DetectDecoder(link_, port);
    settings_ = link_.settings;
    status_->setPlainText(StatusText(ConnectStatus(result)));
    if (result != DetectResult::PortNotOpened) ShowType();
    // Told in words: a full disk or a read-only file is not a missing one.
    WriteWatch watch(messages_, *link_.disk, kInterfaceSettingsFile, kInterfaceFileNotFound);
    watch.Written(WriteInterfaceSettings(settings_, *link_.disk));
    update(280, 370, 40, 40);
}

void InterfaceForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    QPixmap light(QString::fromStdString(FileSystemName(StatusLight(settings_))));
    if (!light.isNull()) painter.drawPixmap(280, 370, light);
}

void RegisterTimingForms(CommandRegistry& commands, const FormHost& host,
                         TimingFormsContext context) {
    commands.Add({.id = CommandId::Interface,
                  .label = "Interface",
                  .icon = "images/menu1015.bmp",
                  .run = [&host, context] {
                      SuspendLinkSupervision(context.link);
                      InterfaceForm form(context.link, host.platform.messages, host.window);
                      form.Run();
                      ReloadLinkSettings(context.link);
                  }});
    commands.Add(
        {.id = CommandId::Print, .label = "Print", .icon = kPrintPicture, .run = [&host, context] {
             PrintRunResults(context.engine, host.platform.dialogs, host.platform.messages);
         }});
}

}  // namespace velkaro
