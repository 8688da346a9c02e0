#pragma once

#include <QTimer>
#include <memory>

#include "databases/database_files.h"
#include "databases/driver_details.h"
#include "databases/transponder_sets.h"
#include "event/sections.h"
#include "forms_kit/form_kit.h"
#include "platform/messages.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velkaro {

struct DecoderLink;
struct RunEngine;

inline constexpr int kSetListId = 3301;
inline constexpr int kSetNameId = 3302;
inline constexpr int kFirstSetTransponderId = 3303;  // transponder k is 3302 + k
inline constexpr int kDriverNameId = 4301;
inline constexpr int kDriverTransponderId = 4302;
inline constexpr int kScanId = 4303;
inline constexpr int kScanStatusId = 4304;
inline constexpr int kFirstFrequencyListId = 4305;  // frequency k is 4304 + k

// "Transponders Database": the 20 sets of the club, their names fixed, their numbers edited.
class TranspondersForm final : public ModalForm {
  public:
    TranspondersForm(Messages& messages, Disk& disk, QWidget* parent = nullptr);

  protected:
    bool Write() override;

  private:
    void ShowSet(int set);

    Disk& disk_;
    TransponderSets sets_{};
    int selected_ = 0;
    bool showing_ = false;
    QListWidget* list_;
    QLineEdit* name_;
    std::array<QLineEdit*, kTranspondersPerSet> numbers_{};
};

// "Driver's details": one participant's transponder and five frequencies. "Scan" reads the
// decoder every 10 ms and writes each number it finds into the transponder field; the port is
// the run's while a run or the race panel's scan uses it.
class DriverDetailsForm final : public ModalForm {
  public:
    DriverDetailsForm(int category, int slot, DecoderLink& link, const RunEngine& engine,
                      Messages& messages, Disk& disk, QWidget* parent = nullptr);

    const ParticipantRecord& Participant() const {
        return (*participants_)[static_cast<std::size_t>(slot_)];
    }
    // One tick of the form's timer (tests call it instead of waiting for the timer).
    void Tick();

  protected:
    bool Write() override;
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;

  private:
    void SetScanning(bool on);
    std::int64_t NowHundredths() const;

    int category_;
    int slot_;
    DecoderLink& link_;
    const RunEngine& engine_;
    Disk& disk_;
    std::unique_ptr<Participants> participants_;
    bool scanning_ = false;
    ScanLamp lamp_;
    QTimer timer_;
    QLineEdit* transponder_;
    QPushButton* scan_;
    QLabel* status_;
};

}  // namespace velkaro
