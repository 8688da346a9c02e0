#pragma once

#include <array>

#include "event/event_model.h"
#include "forms_kit/form_kit.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace velkaro {

struct AppPlatform;

// "Qualifying rounds classification": the round's heats merged, sorted and given points; the
// organiser picks the sort and the scale, prints, and validates.
class RoundClassificationForm final : public ModalForm {
    Q_OBJECT

  public:
    RoundClassificationForm(int category, int round, AppPlatform& platform,
                            QWidget* parent = nullptr);

    const RoundSheet& Sheet() const { return sheet_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool Write() override;

  private:
    void ShowSort();

    AppPlatform& platform_;
    RoundSheet sheet_;
    QRadioButton* byLaps_;
    QRadioButton* byBestLap_;
    std::array<QLineEdit*, 6> scale_{};
    QScrollBar* scroll_;
};

// "Overall Classification of Qualification": the best N rounds summed and ranked; "Validate"
// stores the ranking the finals start from.
class OverallClassificationForm final : public ModalForm {
    Q_OBJECT

  public:
    OverallClassificationForm(int category, AppPlatform& platform, QWidget* parent = nullptr);

    const OverallSheet& Sheet() const { return sheet_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool Write() override;

  private:
    AppPlatform& platform_;
    OverallSheet sheet_;
    QLineEdit* bestRounds_;
    QRadioButton* byLaps_;
    QRadioButton* byBestLap_;
    QScrollBar* scroll_;
};

struct FormHost;
class CommandRegistry;
// The classification nodes of the event tree: the selected node of the event's header says the
// category and round; the header is read back once the overall classification changed it.
void RegisterClassificationForms(CommandRegistry& commands, const FormHost& host,
                                 EventHeader& header);

}  // namespace velkaro
