#include "qualification/forms/preparation_forms.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "databases/circuits_file.h"
#include "forms_kit/form_host.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"
#include "qualification/forms/form_parts.h"

namespace velkaro {

namespace {

QLineEdit* Shown(QWidget* form, int id, const QString& label, QRect where) {
    QLineEdit* edit = FormEdit(form, id, label, where, 32767);
    edit->setReadOnly(true);
    return edit;
}

QRadioButton* Radio(QWidget* form, QButtonGroup* group, int id, const QString& text, QRect where) {
    auto* radio = Place(new QRadioButton(text, form), id, text, where);
    radio->setFont(ProgramFont(15));
    group->addButton(radio);
    return radio;
}

QGroupBox* Group(QWidget* form, int id, const QString& text, QRect where) {
    auto* group = Place(new QGroupBox(text, form), id, text, where);
    group->setFont(ProgramFont(15, true));
    return group;
}

std::string_view CategoryName(const EventHeader& header, int category) {
    if (category < 1 || category > kCategories) return {};
    return header.categories[std::size_t(category - 1)].name.View();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Track.

TrackForm::TrackForm(Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("PISTE", "Track", QSize(290, 230), messages, parent),
      disk_(disk),
      choices_(std::make_unique<TrackChoices>()) {
    const char* labels[] = {"Event name :",   "Organizing Club :", "Circuit :", "Circuit name :",
                            "Length :",       "Record Laptime :",  "by",        "Location :",
                            "Min. lap time :"};
    for (int i = 0; i < 9; ++i) {
        FormLabel(this, kTrackFormLabels + i + 1, labels[i], Dlu(10, 12 + 20 * i, 80, 12));
    }
    QLineEdit* name =
        FormEdit(this, kEventNameEdit, labels[0], Dlu(92, 10, 185, 14), kEventNameLimit);
    auto* clubs = Place(new QComboBox(this), kClubList, labels[1], Dlu(92, 30, 185, 14));
    auto* circuits = Place(new QComboBox(this), kCircuitList, labels[2], Dlu(92, 50, 185, 14));
    clubs->setFont(ProgramFont(15));
    circuits->setFont(ProgramFont(15));
    const int widths[] = {185, 40, 80, 185, 185};
    for (int i = 0; i < 5; ++i) {
        circuitFields_[std::size_t(i)] =
            Shown(this, kFirstCircuitField + i, labels[3 + i], Dlu(92, 70 + 20 * i, widths[i], 14));
    }
    FormLabel(this, kTrackFormLabels + 10, "m", Dlu(136, 92, 20, 12));
    minimumLap_ =
        FormEdit(this, kMinimumLapEdit, labels[8], Dlu(92, 170, 30, 14), kMinimumLapDigits, true);
    FormLabel(this, kTrackFormLabels + 11, "s", Dlu(126, 172, 20, 12));
    auto* enter = FormButton(this, kConfirmButton, "Enter", Dlu(160, 205, 55, 16));
    auto* cancel = FormButton(this, kCancelButton, "Cancel", Dlu(222, 205, 55, 16));

    track_.minLapTime = "2";
    TrackRecord stored = track_;
    FileOutcome read = ReadTrack(stored, disk_);
    if (read == FileOutcome::Unavailable) {
        fileMissing_ = true;
        messages_.Error(kRaceFileNotFound);
    } else if (read == FileOutcome::Done) {
        track_ = stored;
    }
    FileFlaws flaws;
    if (!FillClubChoices(choices_->clubs, disk_, &flaws)) messages_.Error(kClubsFileNotFound);
    TellFlaws(flaws, messages_);
    flaws = {};
    if (!LoadCircuits(choices_->circuits, disk_, &flaws)) messages_.Error(kCircuitsFileNotFound);
    TellFlaws(flaws, messages_);
    MatchTrackChoices(track_, *choices_);
    for (int i = 0; i < choices_->clubs.count; ++i) {
        clubs->addItem(ToQString(choices_->clubs.items[std::size_t(i)].View()));
    }
    for (int i = 0; i < choices_->circuitCount; ++i) {
        circuits->addItem(ToQString(choices_->circuits[std::size_t(i)].name.View()));
    }
    clubs->setCurrentIndex(choices_->club);
    circuits->setCurrentIndex(choices_->circuit);
    name->setText(ToQString(track_.eventName.View()));
    minimumLap_->setText(ToQString(track_.minLapTime.View()));
    ShowCircuit();

    connect(name, &QLineEdit::textChanged, this, [this, name](const QString& text) {
        TakenName taken = TakeEventName(FromQString(text));
        track_.eventName = taken.name;
        if (taken.emptyEdit) name->clear();
    });
    connect(clubs, &QComboBox::activated, this,
            [this, clubs] { track_.club = FromQString(clubs->currentText()); });
    connect(circuits, &QComboBox::activated, this, [this](int index) {
        ChooseCircuit(track_, *choices_, index);
        ShowCircuit();
        minimumLap_->setText(
            ToQString(choices_->circuits[std::size_t(index)].minimumLapTime.View().substr(0, 3)));
    });
    connect(minimumLap_, &QLineEdit::textChanged, this,
            [this](const QString& text) { track_.minLapTime = TakeMinimumLap(FromQString(text)); });
    connect(enter, &QPushButton::clicked, this, &TrackForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &TrackForm::reject);
}

void TrackForm::ShowCircuit() {
    if (choices_->circuit < 0) return;
    const CircuitRecord& c = choices_->circuits[std::size_t(choices_->circuit)];
    const std::string_view values[] = {c.name.View(), c.length.View(), c.recordLapText.View(),
                                       c.recordHolder.View(), c.location.View()};
    for (std::size_t i = 0; i < circuitFields_.size(); ++i) {
        circuitFields_[i]->setText(ToQString(values[i]));
    }
}

bool TrackForm::Write() {
    if (fileMissing_) return true;
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    ReportUnavailable(WriteTrack(track_, watch, disk_), watch);
    return !watch.Failed();
}

// ---------------------------------------------------------------------------------------------
// List of drivers.

ParticipantsForm::ParticipantsForm(int category, Messages& messages, Dialogs& dialogs, Clock& clock,
                                   Disk& disk, QWidget* parent)
    : ModalForm("LISTEPILOTES", "List of drivers", QSize(400, 300), messages, parent),
      category_(category),
      dialogs_(dialogs),
      clock_(clock),
      disk_(disk),
      drivers_(std::make_unique<DriverTable>()),
      work_(std::make_unique<ParticipantsWork>()) {
    FormLabel(this, kParticipantsFormLabels + 1, "List of participants :", Dlu(10, 10, 90, 12));
    QLineEdit* name =
        Shown(this, kParticipantsCategory, "List of participants :", Dlu(102, 8, 120, 14));
    FormLabel(this, kParticipantsFormLabels + 2,
              "Participants in the category :", Dlu(10, 28, 130, 12));
    count_ =
        Shown(this, kParticipantsCount, "Participants in the category :", Dlu(142, 26, 40, 14));
    participants_ =
        Place(new QListWidget(this), kParticipantsList, "Participants", Dlu(10, 46, 165, 220));
    FormLabel(this, kParticipantsFormLabels + 3, "DataBase :", Dlu(225, 30, 80, 12));
    database_ = Place(new QListWidget(this), kDatabaseList, "DataBase :", Dlu(225, 46, 165, 220));
    participants_->setFont(ProgramFont(15));
    database_->setFont(ProgramFont(15));
    QPushButton* add = FormButton(this, kAddParticipantButton, "<-", Dlu(182, 110, 36, 18));
    QPushButton* remove = FormButton(this, kRemoveParticipantButton, "->", Dlu(182, 140, 36, 18));
    QPushButton* print = PrintButton(this, kPrintParticipantsButton, Dlu(182, 200, 36, 30), 6);
    QPushButton* validate = FormButton(this, kConfirmButton, "Validate", Dlu(250, 276, 65, 16));
    QPushButton* cancel = FormButton(this, kCancelButton, "Cancel", Dlu(325, 276, 65, 16));

    if (ReadEventHeader(header_, disk_) == FileOutcome::Unavailable) {
        fileMissing_ = true;
        messages_.Error(kRaceFileNotFound);
    }
    FileFlaws flaws;
    if (!LoadDrivers(*drivers_, disk_, &flaws)) messages_.Error(kDriversFileNotFound);
    TellFlaws(flaws, messages_);
    ReadTrack(track_, disk_);
    OpenParticipants(category_, *work_, header_, disk_);
    name->setText(ToQString(CategoryName(header_, category_)));
    for (const DriverRecord& d : *drivers_) {
        if (d.name.Empty()) break;
        database_->addItem(ToQString(d.name.View()));
    }
    Refill();
    if (work_->readOnly) {
        for (QPushButton* b : {validate, add, remove}) b->setEnabled(false);
    }

    connect(add, &QPushButton::clicked, this, [this] {
        const int row = database_->currentRow();
        if (row < 0) return;
        const DriverRecord& d = (*drivers_)[std::size_t(row)];
        const AddOutcome added = AddParticipant(*work_, d.name.View(), d.transponder.View());
        if (added == AddOutcome::Added) Refill();
        if (added == AddOutcome::AlreadyIn) {
            messages_.Show("Participants",
                           "\"" + std::string(d.name.View()) + "\" is already a participant.",
                           MessageButtons::Ok, MessageIcon::Information);
        }
        if (added == AddOutcome::Full) {
            messages_.Show("Participants", "The list of participants is full.", MessageButtons::Ok,
                           MessageIcon::Information);
        }
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        QListWidgetItem* item = participants_->currentItem();
        if (item != nullptr && RemoveParticipant(*work_, FromQString(item->text()))) Refill();
    });
    connect(print, &QPushButton::clicked, this, &ParticipantsForm::Print);
    connect(validate, &QPushButton::clicked, this, &ParticipantsForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &ParticipantsForm::reject);
}

void ParticipantsForm::Refill() {
    participants_->clear();
    for (int i = 0; i < work_->count; ++i) {
        participants_->addItem(ToQString(work_->table[std::size_t(i)].name.View()));
    }
    count_->setText(QString("(%1)").arg(work_->count));
}

void ParticipantsForm::Print() {
    if (work_->count < 1) return;
    auto report = std::make_unique<ParticipantsReport>();
    BuildParticipantsReport(*report, CategoryName(header_, category_), track_, *work_, *drivers_);
    PrintParticipants(*report, dialogs_, messages_, clock_);
}

bool ParticipantsForm::Write() {
    if (fileMissing_ || work_->readOnly) return true;
    // The header as it stands now: only this category's counts change.
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    EventHeader header;
    if (ReadEventHeader(header, disk_) != FileOutcome::Done) {
        watch.Error(kRaceFileNotFound);
        return false;
    }
    return SaveParticipants(category_, *work_, header, watch, disk_) && !watch.Failed();
}

// ---------------------------------------------------------------------------------------------
// Options of qualifying heats.

QualifOptionsForm::QualifOptionsForm(int category, Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("CATEGORIEQUALIFSPARAMETRES", "Options of qualifying heats", QSize(380, 330),
                messages, parent),
      category_(category),
      disk_(disk) {
    const int L = kQualifOptionsFormLabels;
    FormLabel(this, L + 1, "Parameters of the qualifying heats : ", Dlu(10, 10, 165, 12));
    QLineEdit* name = Shown(this, kOptionsCategory,
                            "Parameters of the qualifying heats : ", Dlu(178, 8, 190, 14));

    Group(this, L + 2, "Drivers placing", Dlu(10, 30, 360, 45));
    auto* placing = new QButtonGroup(this);
    placing_ = {
        Radio(this, placing, 4409, "according to number of laps + time", Dlu(20, 43, 170, 12)),
        Radio(this, placing, 4410, "according to best lap time", Dlu(20, 58, 170, 12))};

    Group(this, L + 3, "Run duration", Dlu(10, 80, 175, 50));
    auto* duration = new QButtonGroup(this);
    duration_ = {Radio(this, duration, 4402, "Time", Dlu(20, 95, 60, 12)),
                 Radio(this, duration, 4403, "Laps", Dlu(20, 110, 60, 12))};
    QLineEdit* minutes =
        FormEdit(this, kRunMinutesEdit, "Run time", Dlu(90, 94, 30, 14), kRunMinutesDigits, true);
    QLineEdit* laps =
        FormEdit(this, kRunLapsEdit, "Number of laps", Dlu(90, 94, 30, 14), kRunLapsDigits, true);
    durationEdits_ = {minutes, FormLabel(this, 4419, "min", Dlu(124, 96, 30, 12)), laps,
                      FormLabel(this, 4420, "laps", Dlu(124, 96, 30, 12))};

    Group(this, L + 4, "Timing", Dlu(195, 80, 175, 50));
    FormLabel(this, L + 5, "Countdown", Dlu(205, 95, 95, 12));
    QLineEdit* countdown =
        FormEdit(this, kCountdownEdit, "Countdown", Dlu(300, 94, 35, 14), kCountdownDigits, true);
    FormLabel(this, L + 6, "s", Dlu(340, 96, 20, 12));
    FormLabel(this, L + 7, "Delay between 2 runs", Dlu(205, 112, 95, 12));
    QLineEdit* delay = FormEdit(this, kDelayEdit, "Delay between 2 runs", Dlu(300, 111, 35, 14),
                                kDelayDigits, true);
    FormLabel(this, L + 8, "min", Dlu(340, 113, 25, 12));

    Group(this, L + 9, "Start", Dlu(10, 135, 360, 75));
    auto* start = new QButtonGroup(this);
    start_ = {
        Radio(this, start, 4411, "groupstart at the sound signal", Dlu(20, 148, 200, 12)),
        Radio(this, start, 4412, "when the first car crosses the line", Dlu(20, 163, 200, 12)),
        Radio(this, start, 4413, "staggered start", Dlu(20, 178, 200, 12))};
    auto* editable = Place(new QCheckBox("Positions editable (ABC..)", this), kEditableOrderBox,
                           "Positions editable (ABC..)", Dlu(20, 193, 200, 12));
    editable->setFont(ProgramFont(15));
    editable_ = editable;

    endGroups_ = {Group(this, 4421, "If run duration = time", Dlu(10, 215, 360, 40)),
                  Group(this, 4422, "If run duration = number of laps", Dlu(10, 258, 360, 50))};
    auto* timeEnd = new QButtonGroup(this);
    timeEnd_ = {
        Radio(this, timeEnd, 4414, "Overall end occurs at the sound signal", Dlu(20, 228, 200, 12)),
        Radio(this, timeEnd, 4415, "All drivers must finish their current lap",
              Dlu(20, 241, 200, 12))};
    auto* lapsEnd = new QButtonGroup(this);
    lapsEnd_ = {
        Radio(this, lapsEnd, 4416, "Overall end occurs at the sound signal", Dlu(20, 270, 200, 12)),
        Radio(this, lapsEnd, 4417, "All drivers must finish their current lap",
              Dlu(20, 283, 200, 12)),
        Radio(this, lapsEnd, 4418, "All drivers must carry out all of the laps",
              Dlu(20, 296, 200, 12))};
    QPushButton* validate =
        FormButton(this, kConfirmButton, "Validate", Dlu(380 - 150, 312, 65, 15));
    QPushButton* cancel = FormButton(this, kCancelButton, "Cancel", Dlu(380 - 78, 312, 65, 15));

    EventHeader header;
    if (OpenQualifOptions(category_, options_, disk_) == FileOutcome::Unavailable ||
        ReadEventHeader(header, disk_) == FileOutcome::Unavailable) {
        messages_.Error(kRaceFileNotFound);
    }
    name->setText(ToQString(CategoryName(header, category_)));
    minutes->setText(QString::number(options_.runMinutes));
    laps->setText(QString::number(options_.runLaps));
    countdown->setText(QString::number(options_.countdownSeconds));
    delay->setText(QString::number(options_.delayMinutes));
    Show();

    auto choose = [this](QRadioButton* radio, auto apply) {
        connect(radio, &QRadioButton::clicked, this, [this, apply] {
            if (showing_) return;
            apply(options_);
            Show();
        });
    };
    choose(placing_[0], [](QualifOptions& o) { o.placing = Classification::ByLapsAndTime; });
    choose(placing_[1], [](QualifOptions& o) { o.placing = Classification::ByBestLap; });
    choose(duration_[0], [](QualifOptions& o) { o.durationKind = DurationKind::ByTime; });
    choose(duration_[1], [](QualifOptions& o) { o.durationKind = DurationKind::ByLaps; });
    choose(start_[0], [](QualifOptions& o) { ChooseStart(o, StartMode::AtSignal); });
    choose(start_[1], [](QualifOptions& o) { ChooseStart(o, StartMode::FirstCar); });
    choose(start_[2], [](QualifOptions& o) { ChooseStart(o, StartMode::Staggered); });
    choose(timeEnd_[0], [](QualifOptions& o) { o.endAtTime = TimeEnd::AtSignal; });
    choose(timeEnd_[1], [](QualifOptions& o) { o.endAtTime = TimeEnd::FinishLap; });
    choose(lapsEnd_[0], [](QualifOptions& o) { o.endAtLaps = LapsEnd::AtSignal; });
    choose(lapsEnd_[1], [](QualifOptions& o) { o.endAtLaps = LapsEnd::FinishLap; });
    choose(lapsEnd_[2], [](QualifOptions& o) { o.endAtLaps = LapsEnd::AllLaps; });
    connect(editable, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) options_.startingOrder = on ? StartingOrder::Editable : StartingOrder::Fixed;
    });
    auto number = [this](QLineEdit* edit, ClampedNumber (*take)(std::string_view),
                         std::int32_t QualifOptions::*field) {
        connect(edit, &QLineEdit::textChanged, this, [this, edit, take, field](const QString& t) {
            ClampedNumber n = take(FromQString(t));
            options_.*field = n.value;
            if (n.rewrite) edit->setText(QString::number(n.value));
        });
    };
    number(minutes, TakeRunMinutes, &QualifOptions::runMinutes);
    number(laps, TakeRunLaps, &QualifOptions::runLaps);
    number(countdown, TakeCountdown, &QualifOptions::countdownSeconds);
    number(delay, TakeDelay, &QualifOptions::delayMinutes);
    connect(validate, &QPushButton::clicked, this, &QualifOptionsForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QualifOptionsForm::reject);
}

void QualifOptionsForm::Show() {
    showing_ = true;
    const QualifOptions& o = options_;
    placing_[o.placing == Classification::ByBestLap ? 1 : 0]->setChecked(true);
    const bool byLaps = o.durationKind == DurationKind::ByLaps;
    duration_[byLaps ? 1 : 0]->setChecked(true);
    start_[o.start == StartMode::FirstCar    ? 1
           : o.start == StartMode::Staggered ? 2
                                             : 0]
        ->setChecked(true);
    static_cast<QCheckBox*>(editable_)->setChecked(o.startingOrder == StartingOrder::Editable);
    timeEnd_[o.endAtTime == TimeEnd::AtSignal ? 0 : 1]->setChecked(true);
    lapsEnd_[o.endAtLaps == LapsEnd::AtSignal  ? 0
             : o.endAtLaps == LapsEnd::AllLaps ? 2
                                               : 1]
        ->setChecked(true);
    const OptionsControls c = ControlsOf(o);
    durationEdits_[0]->setVisible(c.minutesShown);
    durationEdits_[1]->setVisible(c.minutesShown);
    durationEdits_[2]->setVisible(!c.minutesShown);
    durationEdits_[3]->setVisible(!c.minutesShown);
    endGroups_[0]->setEnabled(c.timeEndGroup);
    endGroups_[1]->setEnabled(c.lapsEndGroup);
    timeEnd_[0]->setEnabled(c.timeEndAtSignal);
    timeEnd_[1]->setEnabled(c.timeEndGroup);
    lapsEnd_[0]->setEnabled(c.lapsEndAtSignal);
    lapsEnd_[1]->setEnabled(c.lapsEndFinishLap);
    lapsEnd_[2]->setEnabled(c.lapsEndAllLaps);
    showing_ = false;
}

bool QualifOptionsForm::Write() {
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    ReportUnavailable(WriteQualifOptions(category_, options_, watch, disk_), watch);
    return !watch.Failed();
}

// ---------------------------------------------------------------------------------------------
// Registration.

namespace {

int SelectedCategory(const EventHeader& header) {
    const int category = header.selectedNode / 10000;
    return category >= 1 && category <= header.categoryCount ? category : 0;
}

// What the shell keeps of the event, read again after a form changed it.
void ReadHeaderBack(EventHeader& kept, Disk& disk) {
    EventHeader header;
    if (ReadEventHeader(header, disk) == FileOutcome::Done) kept = header;
}

}  // namespace

void RegisterQualificationForms(CommandRegistry& commands, const FormHost& host,
                                QualificationFormsContext context) {
    commands.Add(kTrackCommand, [&host, context] {
        TrackForm form(host.platform.messages, *host.platform.disk, host.window);
        if (form.Run() != QDialog::Accepted) return;
        // The panel's next run takes the new minimum lap time and circuit.
        ReadTrack(context.track, *host.platform.disk);
        const std::int32_t minimum = NumberOf(context.track.minLapTime.View());
        context.minimumLapSeconds = minimum > 0 ? minimum : kDefaultMinimumLapSeconds;
        context.circuitIndex = FindCircuit(context.circuits, context.track.circuit.View());
    });
    commands.Add(kParticipantsCommand, [&host, context] {
        const int category = SelectedCategory(context.event.header);
        if (category == 0) return;
        ParticipantsForm form(category, host.platform.messages, host.platform.dialogs,
                              host.platform.clock, *host.platform.disk, host.window);
        form.Run();
        ReadHeaderBack(context.event.header, *host.platform.disk);
        ParticipantNames& names = context.event.participantNames[std::size_t(category - 1)];
        names = {};
        ReadParticipantNames(category, names, *host.platform.disk);
        host.eventChanged();
    });
    commands.Add(kQualifParametersCommand, [&host, context] {
        const int category = SelectedCategory(context.event.header);
        if (category == 0) return;
        QualifOptionsForm form(category, host.platform.messages, *host.platform.disk, host.window);
        form.Run();
    });
    commands.Add(kQualifArrangementCommand, [&host, context] {
        const int category = SelectedCategory(context.event.header);
        if (category == 0) return;
        {
            ArrangementForm form(category, host.platform.messages, host.platform.dialogs,
                                 host.platform.clock, host.platform.sounds, *host.platform.disk,
                                 host.window);
            form.Run();
        }
        ReadHeaderBack(context.event.header, *host.platform.disk);
        if (context.event.header.categories[std::size_t(category - 1)].rounds >= 1) {
            GridsForm grids(category, host.platform.messages, *host.platform.disk, host.window);
            grids.Run();
        }
        host.eventChanged();
    });
}

}  // namespace velkaro
