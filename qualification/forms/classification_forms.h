#pragma once

#include <array>

#include "platform/qt/form_kit.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace velkaro {

struct ShellPlatform;

// "Qualifying rounds classification": the round's heats merged, sorted and given points; the
// organiser picks the sort and the scale, prints, and validates.
class RoundClassificationForm final : public ModalForm {
    Q_OBJECT

  public:
    RoundClassificationForm(int category, int round, ShellPlatform& platform,
                            QWidget* parent = nullptr);

    const RoundSheet& Sheet() const { return sheet_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool Write() override;

  private:
    void ShowSort();

    ShellPlatform& platform_;
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
    OverallClassificationForm(int category, ShellPlatform& platform, QWidget* parent = nullptr);

    const OverallSheet& Sheet() const { return sheet_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool Write() override;

  private:
    ShellPlatform& platform_;
    OverallSheet sheet_;
    QLineEdit* bestRounds_;
    QRadioButton* byLaps_;
    QRadioButton* byBestLap_;
    QScrollBar* scroll_;
};

struct FormHost;
class CommandRegistry;
// The classification nodes of the event tree: the selected node says the category and round.
void RegisterClassificationForms(CommandRegistry& commands, FormHost& host);

}  // namespace velkaro
