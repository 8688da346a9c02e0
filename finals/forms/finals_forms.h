#pragma once

#include <array>
#include <functional>
#include <memory>

#include "event/event_model.h"
#include "event/sections.h"
#include "finals/closure.h"
#include "finals/closure_report.h"
#include "finals/finals_run.h"
#include "finals/ladder.h"
#include "forms_kit/form_kit.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/disk.h"
#include "platform/messages.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace velkaro {

struct FormHost;
class CommandRegistry;

// What the finals forms read and change of the application: the event's header (the selected
// node, the categories), its track, the run in the panel (a run being timed keeps its lanes)
// and a way to load that run again once its lanes changed.
struct FinalsFormsContext {
    EventHeader& header;
    const TrackRecord& track;
    const RunEngine& panel;
    std::function<void()> reloadRun;
};

inline constexpr int kLadderFieldCount = 15;

// The ladder's fields with their derived counts and results, shared by "Arrangement of the
// finals" and the finals calculator; `idOffset` moves the calculator's ids.
class LadderForm : public ModalForm {
  protected:
    LadderForm(const char* objectName, const QString& title, int idOffset, Messages& messages,
               QWidget* parent);
    // Shows the ladder; participants go up to `participantsLimit`.
    void ShowLadder(const FinalsLadder& ladder, int participantsLimit, bool clampAtZero);
    void LockStructure();
    virtual void Refreshed() {}

    FinalsLadder ladder_;
    int participantsLimit_ = 0;
    bool clampAtZero_ = false;
    int idOffset_;

  private:
    void Typed(int field, const QString& text);
    void Refresh();

    std::array<QLineEdit*, kLadderFieldCount> edits_{};
    std::array<QLabel*, 5> direct_{};
    QLabel* begins_;
    QLabel* runs_;
    QLabel* duration_;
};

// "Arrangement of the finals": the ladder of a category; "Generate" stores it and the number of
// runs, which the event tree shows.
class FinalsArrangementForm final : public LadderForm {
  public:
    FinalsArrangementForm(int category, EventHeader& header, Messages& messages, Disk& disk,
                          QWidget* parent = nullptr);

  protected:
    bool Write() override;
    void Refreshed() override;

  private:
    int category_;
    EventHeader& header_;
    Disk& disk_;
    QPushButton* generate_ = nullptr;
};

// "Swap lanes": two lanes of a finals run not yet run change drivers, within the run or with a
// lane of the run beside it (the A and B runs of a level), to part two drivers on one radio
// frequency. The conflicts the swap would leave show before it is made.
class SwapLanesForm final : public ModalForm {
  public:
    SwapLanesForm(int category, int level, char letter, const EventHeader& header,
                  const RunEngine& panel, Messages& messages, Disk& disk,
                  QWidget* parent = nullptr);

  protected:
    bool Write() override;

  private:
    // The lanes chosen: the run's letter and its lane from 1.
    std::pair<char, int> Chosen(const QComboBox& box) const;
    void ShowOutcome();

    int category_;
    int level_;
    char letter_;
    const RunEngine& panel_;
    Disk& disk_;
    LevelPlaces places_;
    std::unique_ptr<Participants> participants_;
    QComboBox* first_;
    QComboBox* second_;
    QLabel* conflicts_;
    QPushButton* swap_;
};

// "Options of finals": start and end modes and the countdown of the category's finals.
class FinalsOptionsForm final : public ModalForm {
  public:
    FinalsOptionsForm(int category, const EventHeader& header, Messages& messages, Disk& disk,
                      QWidget* parent = nullptr);

  protected:
    bool Write() override;

  private:
    void Show();

    int category_;
    Disk& disk_;
    FinalsOptions options_;
    std::array<QRadioButton*, 5> choices_{};
    QLineEdit* countdown_;
};

// "Closure report": the category's drivers by how far they got, 20 rows at a time, and printed.
class ClosureReportForm final : public ModalForm {
  public:
    ClosureReportForm(int category, const TrackRecord& track, Dialogs& dialogs, Clock& clock,
                      Messages& messages, Disk& disk, QWidget* parent = nullptr);

    const ClosureTable& Table() const { return *table_; }
    PrintOutcome Print();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::unique_ptr<ClosureTable> table_;
    std::unique_ptr<ClosureTexts> texts_;
    Dialogs& dialogs_;
    Clock& clock_;
    Text<56> category_;
    Text<50> event_;
    Text<40> circuit_;
    QScrollBar* scroll_;
    int first_ = 0;
};

// What the two calculators keep from one opening to the next, for the program's life.
struct PlanningMemory {
    QualifPlanning qualification;
    FinalsPlanning finals;
};

// "Planning of qualification".
class QualifPlanningForm final : public ModalForm {
  public:
    QualifPlanningForm(PlanningMemory& memory, Messages& messages, QWidget* parent = nullptr);

  private:
    void Refresh();

    PlanningMemory& memory_;
    QLabel* category_;
    QLabel* runs_;
    QLabel* duration_;
};

// "Planning of finals": the arrangement's fields over a free category name; nothing stored.
class FinalsPlanningForm final : public LadderForm {
  public:
    FinalsPlanningForm(PlanningMemory& memory, Messages& messages, QWidget* parent = nullptr);

  protected:
    void Refreshed() override;

  private:
    PlanningMemory& memory_;
};

// "Finals runs Parameters", "Finals runs Arrangement", "Show the report" and the two planning
// calculators.
void RegisterFinalsForms(CommandRegistry& commands, const FormHost& host,
                         FinalsFormsContext context);

}  // namespace velkaro
