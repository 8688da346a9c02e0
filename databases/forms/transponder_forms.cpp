#include "databases/forms/transponder_forms.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_field.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_text.h"
#include "timing/decoder_link.h"
#include "timing/interface_settings.h"
#include "timing/run_control.h"

namespace velkaro {

// ---------------------------------------------------------------------------------------------
// Transponders Database.

TranspondersForm::TranspondersForm(Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("TRANSPONDEURS", "Database : Transponders club", QSize(330, 250), messages, parent),
      disk_(disk) {
    QFont normal = ProgramFont(16);
    QFont bold = ProgramFont(16, true);
    Place(new QLabel("Sets of transponders", this), kSetListId + 100, "Sets of transponders",
          Dlu(10, 6, 110, 12))
        ->setFont(bold);
    list_ = Place(new QListWidget(this), kSetListId, "Sets of transponders", Dlu(10, 22, 80, 190));
    name_ = Place(new QLineEdit(this), kSetNameId, "Set", Dlu(100, 22, 60, 14));
    name_->setReadOnly(true);
    list_->setFont(normal);
    name_->setFont(normal);
    for (int k = 0; k < kTranspondersPerSet; ++k) {
        const int x = k < 10 ? 100 : 215, y = 44 + 17 * (k % 10);
        const QString label = QString("transponder%1 :").arg(k + 1);
        Place(new QLabel(label, this), kFirstSetTransponderId + 100 + k, label,
              Dlu(x, y + 1, 66, 12))
            ->setFont(normal);
        QLineEdit* edit =
            Place(new QLineEdit(this), kFirstSetTransponderId + k, label, Dlu(x + 68, y, 40, 14));
        edit->setFont(normal);
        MakeTransponderField(edit);
        numbers_[static_cast<std::size_t>(k)] = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, k](const QString& text) {
            if (showing_) return;
            sets_[static_cast<std::size_t>(selected_)].transponders[static_cast<std::size_t>(k)] =
                NormalTransponder(FromQString(text));
        });
    }
    auto* ok = Place(new QPushButton("Ok", this), kOkId, "Ok", Dlu(210, 226, 50, 16));
    auto* cancel =
        Place(new QPushButton("Cancel", this), kCancelId, "Cancel", Dlu(268, 226, 50, 16));
    ok->setFont(normal);
    cancel->setFont(normal);

    FileFlaws flaws;
    if (!LoadTransponderSets(sets_, disk_, &flaws)) messages_.Error(kTransponderSetsFileNotFound);
    if (!AcceptFlawedFile(flaws, messages_)) Decline();
    for (const TransponderSet& set : sets_) list_->addItem(ToQString(set.name.View()));
    ShowSet(0);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!showing_ && row >= 0) ShowSet(row);
    });
    connect(ok, &QPushButton::clicked, this, &TranspondersForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &TranspondersForm::reject);
}

void TranspondersForm::ShowSet(int set) {
    showing_ = true;
    selected_ = set;
    list_->setCurrentRow(set);
    const TransponderSet& s = sets_[static_cast<std::size_t>(set)];
    name_->setText(ToQString(s.name.View()));
    for (std::size_t k = 0; k < numbers_.size(); ++k) {
        numbers_[k]->setText(ToQString(s.transponders[k].View()));
    }
    showing_ = false;
}

bool TranspondersForm::Write() {
    WriteWatch watch(messages_, disk_, kTransponderSetsFile, kTransponderSetsFileNotFound);
    return watch.Written(SaveTransponderSets(sets_, disk_));
}

// ---------------------------------------------------------------------------------------------
// Driver's details.

namespace {

// One reader of the port at a time: a run, its countdown or the race panel's scan keep it.
bool RunHoldsPort(const RunEngine& e) {
    return RunInProgress(e.phase) || ScanOn(e.phase);
}

}  // namespace

DriverDetailsForm::DriverDetailsForm(int category, int slot, DecoderLink& link,
                                     const RunEngine& engine, Messages& messages, Disk& disk,
                                     QWidget* parent)
    : ModalForm("DETAILSPILOTE", "Driver's details", QSize(220, 165), messages, parent),
      category_(category),
      slot_(slot),
      link_(link),
      engine_(engine),
      disk_(disk),
      participants_(std::make_unique<Participants>()) {
    QFont normal = ProgramFont(16);
    auto label = [&](const QString& text, int id, int y) {
        Place(new QLabel(text, this), id + 100, text, Dlu(10, y + 1, 45, 12))->setFont(normal);
    };
    label("Driver :", kDriverNameId, 10);
    auto* name = Place(new QLineEdit(this), kDriverNameId, "Driver :", Dlu(57, 10, 150, 14));
    name->setReadOnly(true);
    label("Transpd.", kDriverTransponderId, 30);
    transponder_ =
        Place(new QLineEdit(this), kDriverTransponderId, "Transponder", Dlu(57, 30, 50, 14));
    MakeTransponderField(transponder_);
    scan_ = Place(new QPushButton("Scan", this), kScanId, "Scan", Dlu(112, 30, 45, 14));
    scan_->setCheckable(true);
    scan_->setAutoDefault(false);
    status_ = Place(new QLabel("Off", this), kScanStatusId, "Scan status", Dlu(162, 31, 25, 12));
    std::array<QComboBox*, 5> frequencies{};
    for (int k = 0; k < 5; ++k) {
        const int y = 52 + 17 * k;
        const QString text = QString("Freq%1").arg(k + 1);
        label(text, kFirstFrequencyListId + k, y);
        frequencies[static_cast<std::size_t>(k)] =
            Place(new QComboBox(this), kFirstFrequencyListId + k, text, Dlu(57, y, 60, 14));
    }
    auto* ok = Place(new QPushButton("OK", this), kOkId, "OK", Dlu(100, 142, 50, 16));
    auto* cancel =
        Place(new QPushButton("Cancel", this), kCancelId, "Cancel", Dlu(158, 142, 50, 16));
    for (QWidget* w :
         std::initializer_list<QWidget*>{name, transponder_, scan_, status_, ok, cancel}) {
        w->setFont(normal);
    }
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);

    InterfaceSettings settings;
    if (!ReadInterfaceSettings(settings, disk_)) messages_.Error(kInterfaceFileNotFound);
    auto table = std::make_unique<FrequencyTable>();
    FileFlaws flaws;
    if (!LoadFrequencies(*table, disk_, &flaws)) messages_.Error(kFrequenciesFileNotFound);
    TellFlaws(flaws, messages_);
    FileOutcome read = ReadParticipants(category_, *participants_, disk_);
    if (read == FileOutcome::NoSection) messages_.Error(kParticipantsTitleNotFound);
    ReportUnavailable(read, messages_);
    ParticipantRecord& p = (*participants_)[static_cast<std::size_t>(slot_)];
    name->setText(ToQString(p.name.View()));
    transponder_->setText(ToQString(p.transponder.View()));
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
        QComboBox* box = frequencies[k];
        box->setFont(normal);
        for (int i = 0; i < NameCount(*table); ++i) {
            box->addItem(ToQString((*table)[static_cast<std::size_t>(i)].name.View()));
        }
        box->setCurrentIndex(box->findText(ToQString(p.frequencies[k].View()), Qt::MatchExactly));
        connect(box, &QComboBox::activated, this, [this, k, box] {
            (*participants_)[static_cast<std::size_t>(slot_)].frequencies[k] =
                FromQString(box->currentText());
        });
    }

    connect(transponder_, &QLineEdit::textChanged, this, [this](const QString& text) {
        TakeTransponderField(FromQString(text),
                             (*participants_)[static_cast<std::size_t>(slot_)].transponder);
    });
    connect(scan_, &QPushButton::toggled, this, &DriverDetailsForm::SetScanning);
    connect(ok, &QPushButton::clicked, this, &DriverDetailsForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &DriverDetailsForm::reject);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &DriverDetailsForm::Tick);
    timer_.start(10);
}

std::int64_t DriverDetailsForm::NowHundredths() const {
    Clock& clock = *link_.clock;
    return clock.Counter() * 100 / clock.Frequency();
}

void DriverDetailsForm::SetScanning(bool on) {
    if (on && !RunHoldsPort(engine_)) DiscardDecoderInput(link_);
    scanning_ = on;
    transponder_->setReadOnly(on);
    status_->setText(on ? "On" : "Off");
    StartScanLamp(lamp_, NowHundredths());
    if (on) StepScanLamp(lamp_, NowHundredths());
    update(kScanLampLeft, kScanLampTop, 64, 64);
}

void DriverDetailsForm::Tick() {
    if (!RunHoldsPort(engine_)) {
        if (!scanning_) {
            DiscardDecoderInput(link_);
        } else {
            Text<7> last;
            PollDecoder(link_, [&last](const Passing& p) { last = p.transponder; });
            // The last number of the read stays; it has six digits, so it is the transponder.
            if (!last.Empty()) transponder_->setText(ToQString(last.View()));
        }
    }
    if (scanning_ && StepScanLamp(lamp_, NowHundredths())) {
        update(kScanLampLeft, kScanLampTop, 64, 64);
    }
}

void DriverDetailsForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!scanning_ || lamp_.picture == 0) return;
    QPixmap lamp(QString::fromStdString(
        FileSystemName(kScanLamps[static_cast<std::size_t>(lamp_.picture - 1)])));
    if (lamp.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(kScanLampLeft, kScanLampTop, lamp);
}

bool DriverDetailsForm::Write() {
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    ReportUnavailable(WriteParticipants(category_, *participants_, watch, disk_), watch);
    return !watch.Failed();
}

void DriverDetailsForm::done(int result) {
    scan_->setChecked(false);
    timer_.stop();
    ModalForm::done(result);
}

}  // namespace velkaro
