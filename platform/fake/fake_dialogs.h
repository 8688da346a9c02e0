#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/fake/recording_canvas.h"

namespace velkaro {

// Common dialogs answered from a script: each queued answer serves the next dialog of its kind;
// with nothing queued a dialog is cancelled. Printed pages are kept as display lists.
class FakeDialogs final : public Dialogs {
  public:
    std::optional<std::string> OpenFile(std::string_view startFolder, FileFilter filter) override;
    std::optional<std::string> SaveFile(std::string_view initialName, FileFilter filter) override;
    std::optional<Rgb> ChooseColour(Rgb initial, std::array<Rgb, 16>& custom) override;
    std::optional<Font> ChooseFont(const Font& initial) override;
    std::unique_ptr<PrintJob> Print(std::string_view documentName,
                                    PageOrientation orientation) override;

    std::deque<std::optional<std::string>> openAnswers, saveAnswers;
    std::deque<std::optional<Rgb>> colourAnswers;
    std::deque<std::optional<Font>> fontAnswers;
    bool printerAvailable = true;
    // The printer fails when a document would start this page (0: never).
    int printerFailsAtPage = 0;
    // Runs while a dialog is "open", before it is answered: a real dialog's modal loop keeps the
    // program's timer ticking, and a test puts those ticks here.
    std::function<void()> whileOpen;

    // What each dialog was opened with.
    std::vector<std::string> openStarts, saveInitialNames;
    // Every finished print job: its name and its recorded pages.
    struct Printed {
        std::string name;
        PageOrientation orientation = PageOrientation::Portrait;
        RecordingCanvas canvas{{4800, 6800}};  // an A4 page in tenths of a millimetre, nearly
        bool finished = false;
    };
    std::vector<std::shared_ptr<Printed>> printed;
};

}  // namespace velkaro
