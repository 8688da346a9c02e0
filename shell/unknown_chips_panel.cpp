#include "shell/unknown_chips_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "forms_kit/form_kit.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

UnknownChipsPanel::UnknownChipsPanel(std::function<void(int, int, bool)> given, QWidget* parent)
    : QWidget(parent), given_(std::move(given)) {
    setObjectName("unknownChips");
    setAccessibleName("Unknown transponders");
    setAutoFillBackground(true);
    title_ = Name(new QLabel("Transponders no car of the run has", this), kUnknownChipsTitle,
                  "Transponders no car of the run has");
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    chips_ = Name(new QListWidget(this), kUnknownChipsList, "Unknown transponders");
    takers_ = Name(new QComboBox(this), kChipTakerList, "Lane with no passing");
    toParticipant_ = Name(new QCheckBox("Keep it for the participant", this),
                          kChipToParticipantCheck, "Keep it for the participant");
    give_ = Name(new QPushButton("Give to the lane", this), kGiveChipButton, "Give to the lane");
    silent_ = Name(new QLabel(this), kDecoderSilentText, "Decoder silent");
    QPalette red = silent_->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    silent_->setPalette(red);
    silent_->setFont(bold);
    // Placed once: the panel is hidden most of the time, and a layout only runs when shown.
    title_->setGeometry(6, 4, 438, 20);
    chips_->setGeometry(6, 26, 438, 120);
    takers_->setGeometry(6, 152, 200, 26);
    toParticipant_->setGeometry(214, 152, 230, 26);
    give_->setGeometry(6, 184, 200, 28);
    silent_->setGeometry(6, 218, 438, 36);
    connect(give_, &QPushButton::clicked, this, [this] {
        int chip = chips_->currentRow();
        int slot = takers_->currentData().isValid() ? takers_->currentData().toInt() : -1;
        if (chip >= 0 && slot >= 0) given_(chip, slot, toParticipant_->isChecked());
    });
    hide();
}

void UnknownChipsPanel::Follow(const RunEngine& e, std::uint32_t now) {
    std::string silent(DecoderSilenceText(e, now).View());
    const UnknownChips& u = e.unknownChips;
    if (u.changes == changesShown_ && e.repaints == repaintsShown_ && silent == silentShown_) {
        return;
    }
    silentShown_ = silent;
    silent_->setText(ToQString(silent));
    silent_->setVisible(!silent.empty());
    if (u.changes != changesShown_ || e.repaints != repaintsShown_) {
        changesShown_ = u.changes;
        repaintsShown_ = e.repaints;
        int row = chips_->currentRow();
        chips_->clear();
        for (int i = 0; i < u.count; ++i) {
            chips_->addItem(ToQString(UnknownChipLine(u.chips[std::size_t(i)]).View()));
        }
        Text<64> others = OtherChipsLine(u);
        if (!others.Empty()) chips_->addItem(ToQString(others.View()));
        chips_->setCurrentRow(std::clamp(row, 0, u.count - 1));
        int slot = takers_->currentData().isValid() ? takers_->currentData().toInt() : -1;
        takers_->clear();
        for (int k = 0; k < kCarSlots; ++k) {
            if (!CanTakeChip(e.tables.cars, k)) continue;
            takers_->addItem(ToQString(ChipTakerLine(e.tables.cars[std::size_t(k)]).View()), k);
            if (k == slot) takers_->setCurrentIndex(takers_->count() - 1);
        }
    }
    bool chips = u.count > 0 || u.otherPassings > 0;
    for (QWidget* w :
         std::initializer_list<QWidget*>{title_, chips_, takers_, toParticipant_, give_}) {
        w->setVisible(chips);
    }
    give_->setEnabled(u.count > 0 && takers_->count() > 0);
    setVisible(chips || !silent.empty());
    if (isVisible()) raise();
}

}  // namespace velkaro
