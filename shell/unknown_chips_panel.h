#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

#include "timing/run_control.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace velkaro {

inline constexpr int kUnknownChipsTitle = 2240;
inline constexpr int kUnknownChipsList = 2241;
inline constexpr int kChipTakerList = 2242;
inline constexpr int kChipToParticipantCheck = 2243;
inline constexpr int kGiveChipButton = 2244;
inline constexpr int kDecoderSilentText = 2245;

// A corner of the race panel for the passings no car of the run has: the chips seen, the lanes
// that counted nothing, and that the decoder is silent. Shown only when it has something to say;
// it follows the run after each tick.
class UnknownChipsPanel final : public QWidget {
  public:
    // given(chip index, car slot, also for the participant) asks the shell to give a chip.
    UnknownChipsPanel(std::function<void(int, int, bool)> given, QWidget* parent);

    void Follow(const RunEngine& engine, std::uint32_t now);

  private:
    std::function<void(int, int, bool)> given_;
    QLabel* title_;
    QListWidget* chips_;
    QComboBox* takers_;
    QCheckBox* toParticipant_;
    QPushButton* give_;
    QLabel* silent_;
    std::uint32_t changesShown_ = ~0u;
    std::uint32_t repaintsShown_ = ~0u;
    std::string silentShown_;
};

}  // namespace velkaro
