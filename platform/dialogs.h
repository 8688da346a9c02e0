#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas.h"
#include "platform/text.h"

namespace velkaro {

struct FileFilter {
    std::string_view description;  // "Race file (.race)"
    std::string_view pattern;      // "*.race"
};

enum class PageOrientation { Portrait, Landscape };

// A printer chosen by the user: pages are drawn on the canvas, Canvas::NewPage starts the next
// one, Finish sends the document. A job never drawn on sends nothing. False from NewPage or
// Finish: the printer failed or went away.
class PrintJob {
  public:
    virtual ~PrintJob() = default;
    virtual Canvas& Page() = 0;
    virtual bool Finish() = 0;
};

// The common dialogs. Paths are Windows-1252; none of them changes the current directory.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // nullopt when cancelled.
    virtual std::optional<std::string> OpenFile(std::string_view startFolder,
                                                FileFilter filter) = 0;
    // Asks before overwriting an existing file.
    virtual std::optional<std::string> SaveFile(std::string_view initialName,
                                                FileFilter filter) = 0;
    // The 16 custom colours are read and written back.
    virtual std::optional<Rgb> ChooseColour(Rgb initial, std::array<Rgb, 16>& custom) = 0;
    virtual std::optional<Font> ChooseFont(const Font& initial) = 0;
    // The font chooser with its effects, the text's colour among them. By default the colour
    // stays as it was.
    struct FontAndColour {
        Font font;
        Rgb colour;
    };
    virtual std::optional<FontAndColour> ChooseFontAndColour(const FontAndColour& initial) {
        std::optional<Font> font = ChooseFont(initial.font);
        if (!font) return std::nullopt;
        return FontAndColour{*font, initial.colour};
    }
    // nullptr when cancelled or when no printer exists.
    virtual std::unique_ptr<PrintJob> Print(std::string_view documentName,
                                            PageOrientation orientation) = 0;
};

// The document's name as a file name: characters that folders or shells would take for
// something else become "-", blanks at either end go.
Text<160> DocumentFileName(std::string_view documentName);

}  // namespace velkaro
