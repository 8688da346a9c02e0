#include "timing/forms/interface_form.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/cp1252.h"
#include "platform/qt/qt_text.h"
#include "timing/interface_status.h"

namespace velkaro {

namespace {

// Dialog units of the form's layout, in pixels.
QRect Dlu(int x, int y, int w, int h) {
    return QRect(x * 7 / 4, y * 7 / 4, w * 7 / 4, h * 7 / 4);
}

template <typename W>
W* Place(W* widget, int id, const QString& name, QRect where) {
    widget->setObjectName(QString::number(id));
    widget->setAccessibleName(name);
    widget->setGeometry(where);
    return widget;
}

QString StatusText(std::string_view cp1252) {
    return ToQString(cp1252).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

InterfaceForm::InterfaceForm(DecoderLink& link, Messages& messages, QWidget* parent)
    : QDialog(parent), link_(link), messages_(messages) {
    setObjectName("INTERFACE");
    setWindowTitle("Interface");
    setFixedSize(Dlu(0, 0, 200, 250).size());

    QFont normal("Arial");
    normal.setPixelSize(16);
    QFont bold = normal;
    bold.setWeight(QFont::Bold);

    auto* heading =
        Place(new QLabel("Decoder Velkaro", this), 3907, "Decoder Velkaro", Dlu(20, 10, 200, 20));
    heading->setFont(bold);
    Place(new QGroupBox("Message", this), 3908, "Message", Dlu(10, 40, 180, 80))->setFont(bold);
    status_ = Place(new QPlainTextEdit(this), 3903, "Status", Dlu(20, 50, 160, 60));
    status_->setReadOnly(true);
    status_->setFont(normal);
    Place(new QGroupBox("Decoder:", this), 3906, "Decoder:", Dlu(10, 130, 180, 35))->setFont(bold);
    mk1_ = Place(new QRadioButton("Velkaro MK1", this), 3901, "Velkaro MK1", Dlu(25, 145, 70, 10));
    mk2_ = Place(new QRadioButton("Velkaro MK2", this), 3902, "Velkaro MK2", Dlu(100, 145, 70, 10));
    mk1_->setFont(normal);
    mk2_->setFont(normal);
    auto* group = new QButtonGroup(this);
    group->addButton(mk1_);
    group->addButton(mk2_);
    Place(new QGroupBox("COM Port", this), 3909, "COM Port", Dlu(10, 170, 180, 70))->setFont(bold);
    ports_ = Place(new QComboBox(this), 3904, "COM Port", Dlu(55, 190, 40, 12));
    ports_->setFont(normal);
    auto* connectButton =
        Place(new QPushButton("Connect", this), 3905, "Connect", Dlu(105, 190, 30, 12));
    connectButton->setFont(normal);
    connectButton->setDefault(true);
    auto* ok = Place(new QPushButton("Ok", this), 1, "Ok", Dlu(80, 220, 30, 12));
    ok->setFont(normal);
    ok->setAutoDefault(false);

    for (int n = 1; n <= 49; ++n) ports_->addItem(QString("COM%1").arg(n));

    if (!ReadInterfaceSettings(settings_)) messages_.Error("Error: Interface file not found");
    ShowType();
    status_->setPlainText(StatusText(InterfaceStatusOnOpen(settings_)));
    ports_->setCurrentIndex(ports_->findText(ToQString(settings_.port.View()), Qt::MatchExactly));

    connect(mk1_, &QRadioButton::clicked, this, [this] { settings_.interfaceType = kMk1Type; });
    connect(mk2_, &QRadioButton::clicked, this, [this] { settings_.interfaceType = kMk2Type; });
    connect(connectButton, &QPushButton::clicked, this, &InterfaceForm::Connect);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
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
    if (!WriteInterfaceSettings(settings_)) messages_.Error("Error: Interface file not found");
    update(280, 370, 40, 40);
}

void InterfaceForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    QPixmap light(QString::fromStdString(FileSystemName(StatusLight(settings_))));
    if (!light.isNull()) painter.drawPixmap(280, 370, light);
}

}  // namespace velkaro
