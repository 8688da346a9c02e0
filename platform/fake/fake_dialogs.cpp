#include "platform/fake/fake_dialogs.h"

namespace velkaro {

namespace {

template <typename T>
std::optional<T> Next(const std::function<void()>& whileOpen,
                      std::deque<std::optional<T>>& answers) {
    if (whileOpen) whileOpen();
    if (answers.empty()) return std::nullopt;
    std::optional<T> a = answers.front();
    answers.pop_front();
    return a;
}

class FakePrintJob final : public PrintJob {
  public:
    explicit FakePrintJob(std::shared_ptr<FakeDialogs::Printed> p) : p_(std::move(p)) {}
    Canvas& Page() override { return p_->canvas; }
    bool Finish() override {
        p_->finished = true;
        // Failing at page 1 is a printer gone before the document reached it.
        return !p_->canvas.refusedPage && p_->canvas.pageLimit != 1;
    }

  private:
    std::shared_ptr<FakeDialogs::Printed> p_;
};

}  // namespace

std::optional<std::string> FakeDialogs::OpenFile(std::string_view startFolder, FileFilter) {
    openStarts.emplace_back(startFolder);
    return Next(whileOpen, openAnswers);
}

std::optional<std::string> FakeDialogs::SaveFile(std::string_view initialName, FileFilter) {
    saveInitialNames.emplace_back(initialName);
    return Next(whileOpen, saveAnswers);
}

std::optional<Rgb> FakeDialogs::ChooseColour(Rgb, std::array<Rgb, 16>&) {
    return Next(whileOpen, colourAnswers);
}

std::optional<Font> FakeDialogs::ChooseFont(const Font&) {
    return Next(whileOpen, fontAnswers);
}

std::unique_ptr<PrintJob> FakeDialogs::Print(std::string_view documentName,
                                             PageOrientation orientation) {
    if (whileOpen) whileOpen();
    if (!printerAvailable) return nullptr;
    auto p = std::make_shared<Printed>();
    p->name = std::string(documentName);
    p->orientation = orientation;
    if (orientation == PageOrientation::Landscape) p->canvas = RecordingCanvas({6800, 4800});
    p->canvas.pageLimit = printerFailsAtPage;
    printed.push_back(p);
    return std::make_unique<FakePrintJob>(p);
}

}  // namespace velkaro
