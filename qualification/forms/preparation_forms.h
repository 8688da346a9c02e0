#pragma once

#include <QScrollBar>
#include <array>
#include <memory>

#include "common/circuits.h"
#include "databases/database_files.h"
#include "event/event_model.h"
#include "event/sections.h"
#include "forms_kit/form_kit.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/sound_player.h"
#include "qualification/heat_arrangement.h"
#include "qualification/qualif_options.h"
#include "qualification/starting_grids.h"
#include "qualification/track_participants.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velkaro {

// Ids of the controls the preparation forms have beyond those the tree's commands name.
inline constexpr int kEventNameEdit = 4101;
inline constexpr int kClubList = 4102;
inline constexpr int kCircuitList = 4103;
inline constexpr int kFirstCircuitField = 4104;  // name, length, record, holder, location
inline constexpr int kMinimumLapEdit = 4109;
inline constexpr int kParticipantsCategory = 4201;
inline constexpr int kParticipantsCount = 4202;
inline constexpr int kParticipantsList = 4203;
inline constexpr int kDatabaseList = 4204;
inline constexpr int kAddParticipantButton = 4205;
inline constexpr int kRemoveParticipantButton = 4206;
inline constexpr int kPrintParticipantsButton = 4207;
inline constexpr int kClubChoice = 4208;
inline constexpr int kFrequencySlotChoice = 4209;
inline constexpr int kFrequencyChoice = 4210;
inline constexpr int kSetFrequencyButton = 4211;
inline constexpr int kOptionsCategory = 4401;
inline constexpr int kRunMinutesEdit = 4404;
inline constexpr int kRunLapsEdit = 4405;
inline constexpr int kDelayEdit = 4406;
inline constexpr int kCountdownEdit = 4407;
inline constexpr int kEditableOrderBox = 4408;
inline constexpr int kArrangementCategory = 4501;
inline constexpr int kDriversPerHeatEdit = 4502;
inline constexpr int kRoundsEdit = 4503;
inline constexpr int kPrintArrangementButton = 4504;
inline constexpr int kArrangementScroll = 4505;
inline constexpr int kArrangementConflicts = 4506;
inline constexpr int kFirstGridEdit = 4601;  // round r is 4600 + r
inline constexpr int kGridLegend = 4610;
inline constexpr int kGridsReadOnlyReason = 4611;
inline constexpr int kConfirmButton = 1;
inline constexpr int kCancelButton = 2;

// "Track": the event's name, club, circuit and minimum lap time.
class TrackForm final : public ModalForm {
  public:
    TrackForm(Messages& messages, Disk& disk, QWidget* parent = nullptr);
    const TrackRecord& Track() const { return track_; }

  protected:
    bool Write() override;

  private:
    void ShowCircuit();

    Disk& disk_;
    bool fileMissing_ = false;
    TrackRecord track_;
    std::unique_ptr<TrackChoices> choices_;
    QLineEdit* minimumLap_;
    std::array<QLineEdit*, 5> circuitFields_{};
};

// "List of drivers": the category's participants chosen from the drivers database, several at
// once (a selection, a whole club, a double-click), and a frequency set for several at once.
class ParticipantsForm final : public ModalForm {
  public:
    ParticipantsForm(int category, Messages& messages, Dialogs& dialogs, Clock& clock, Disk& disk,
                     QWidget* parent = nullptr);
    const ParticipantsWork& Work() const { return *work_; }

  protected:
    bool Write() override;

  private:
    void Refill();
    void Print();
    void Add(const int* rows, int count);
    void SetFrequency(int which, const QString& frequency);

    int category_;
    Dialogs& dialogs_;
    Clock& clock_;
    Disk& disk_;
    bool fileMissing_ = false;
    EventHeader header_;
    TrackRecord track_;
    std::unique_ptr<DriverTable> drivers_;
    std::unique_ptr<ParticipantsWork> work_;
    QLineEdit* count_;
    QListWidget* participants_;
    QListWidget* database_;
};

// "Options of qualifying heats".
class QualifOptionsForm final : public ModalForm {
  public:
    QualifOptionsForm(int category, Messages& messages, Disk& disk, QWidget* parent = nullptr);
    const QualifOptions& Options() const { return options_; }

  protected:
    bool Write() override;

  private:
    void Show();

    int category_;
    Disk& disk_;
    QualifOptions options_;
    bool showing_ = false;
    std::array<QRadioButton*, 2> placing_{}, duration_{}, timeEnd_{};
    std::array<QRadioButton*, 3> start_{}, lapsEnd_{};
    std::array<QWidget*, 2> endGroups_{};
    std::array<QWidget*, 4> durationEdits_{};  // minutes, "min", laps, "laps"
    QWidget* editable_;
};

// "Arrangement of qualifying heats": drivers per heat, rounds, and the drivers' order moved with
// the arrows of the painted table.
class ArrangementForm final : public ModalForm {
  public:
    ArrangementForm(int category, Messages& messages, Dialogs& dialogs, Clock& clock,
                    SoundPlayer& sounds, Disk& disk, QWidget* parent = nullptr);
    const Arrangement& Work() const { return *work_; }
    int Scroll() const { return scroll_; }

  protected:
    bool Write() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void ResetScroll(bool toTop);
    void ShowConflicts();

    Dialogs& dialogs_;
    Clock& clock_;
    SoundPlayer& sounds_;
    Disk& disk_;
    std::unique_ptr<Arrangement> work_;
    int scroll_ = 0;
    QScrollBar* scrollBar_;
    QLabel* conflicts_;
};

// "Starting grids for the qualification": the start order of rounds 2 to 9 as letters.
class GridsForm final : public ModalForm {
  public:
    GridsForm(int category, Messages& messages, Disk& disk, QWidget* parent = nullptr);
    const GridsWork& Work() const { return work_; }

  protected:
    bool Write() override;
    void done(int result) override;

  private:
    int category_;
    Disk& disk_;
    GridsWork work_;
};

// What the preparation forms read and change of the application: the event (its header and
// names are read back after a form changed them), the track, and what the next run takes from
// the track.
struct QualificationFormsContext {
    EventModel& event;
    TrackRecord& track;
    std::int32_t& minimumLapSeconds;
    std::int32_t& circuitIndex;
    const CircuitTable& circuits;
};

struct FormHost;
class CommandRegistry;
// The tree's track, participants, qualifying parameters and arrangement commands; after the
// arrangement the starting grids, and the tree is rebuilt from the file.
void RegisterQualificationForms(CommandRegistry& commands, const FormHost& host,
                                QualificationFormsContext context);

}  // namespace velkaro
