#include "forms_kit/form_kit.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>
#include <span>
#include <string>

#include "common/radio_conflicts.h"
#include "platform/qt/qt_text.h"
#include "platform/typed_text.h"

namespace velkaro {

QFont ProgramFont(int pixels, bool bold) {
    QFont font("Arial");
    font.setPixelSize(pixels);
    if (bold) font.setWeight(QFont::Bold);
    return font;
}

void ApplyProgramFont(QApplication&) {
    QApplication::setFont(ProgramFont(13));
}

namespace {

class ScrollFeed final : public QObject {
  public:
    ScrollFeed(QWidget& area, QScrollBar& bar) : QObject(&bar), area_(area), bar_(bar) {
        area.installEventFilter(this);
        if (area.window() != &area) area.window()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (bar_.isHidden() || !bar_.isEnabled()) return false;
        const bool vertical = bar_.orientation() == Qt::Vertical;
        if (e->type() == QEvent::Wheel && watched == &area_) {
            auto* wheel = static_cast<QWheelEvent*>(e);
            const QPoint turn = wheel->angleDelta();
            if (vertical && std::abs(turn.x()) > std::abs(turn.y())) return false;
            QCoreApplication::sendEvent(&bar_, wheel);
            return true;
        }
        if (e->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        const std::span<const KeyAction> keys(vertical ? std::span<const KeyAction>(kVerticalKeys)
                                                       : std::span<const KeyAction>(kSidewaysKeys));
        for (const KeyAction& k : keys) {
            if (k.key != key) continue;
            bar_.triggerAction(k.action);
            return true;
        }
        return false;
    }

  private:
    struct KeyAction {
        int key;
        QAbstractSlider::SliderAction action;
    };
    static constexpr KeyAction kVerticalKeys[] = {
        {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, QAbstractSlider::SliderToMaximum}};
    static constexpr KeyAction kSidewaysKeys[] = {
        {Qt::Key_Left, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Right, QAbstractSlider::SliderSingleStepAdd}};

    QWidget& area_;
    QScrollBar& bar_;
};

}  // namespace

void ScrollWithWheelAndKeys(QWidget& area, QScrollBar& bar, int shown) {
    bar.setPageStep(shown);
    bar.setFocusPolicy(Qt::StrongFocus);
    new ScrollFeed(area, bar);
}

ModalForm::ModalForm(const char* objectName, const QString& title, QSize sizeDlu,
                     Messages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setObjectName(objectName);
    setWindowTitle(title);
    setFixedSize(Dlu(0, 0, sizeDlu.width(), sizeDlu.height()).size());
}

void ModalForm::Confirm() {
    if (declined_) {
        reject();
    } else if (Write()) {
        accept();
    }
}

bool ModalForm::event(QEvent* e) {
    if (e->type() == QEvent::Polish) GuardTextFields(*this, messages_);
    return QDialog::event(e);
}

namespace {
// An edit's maximum length when nobody set one.
constexpr int kUnlimited = 32767;
}  // namespace

TextGuard::TextGuard(QLineEdit& edit, Messages& messages, Takes takes)
    : QValidator(&edit),
      messages_(messages),
      limit_(edit.maxLength() == kUnlimited ? 0 : edit.maxLength()),
      takes_(takes) {
    edit.setMaxLength(kUnlimited);
}

QValidator::State TextGuard::validate(QString& input, int&) const {
    const std::u32string text = input.toStdU32String();
    const auto limit = static_cast<std::size_t>(limit_);
    const std::string why = takes_ == Takes::Digits ? RefusalOfTypedDigits(text, limit)
                                                    : RefusalOfTypedText(text, limit);
    if (why.empty()) return Acceptable;
    messages_.Show("Text not accepted", why, MessageButtons::Ok, MessageIcon::Warning);
    return Invalid;
}

namespace {
constexpr const char* kDigitsProperty = "takesDigits";
}  // namespace

void TakeDigits(QLineEdit& edit) {
    edit.setProperty(kDigitsProperty, true);
}

void GuardTextFields(QWidget& form, Messages& messages) {
    for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
        if (edit->validator() == nullptr && !edit->isReadOnly()) {
            const bool digits = edit->property(kDigitsProperty).toBool();
            edit->setValidator(new TextGuard(
                *edit, messages, digits ? TextGuard::Takes::Digits : TextGuard::Takes::Text));
        }
    }
}

WriteWatch::WriteWatch(Messages& under, Disk& disk, std::string_view file,
                       std::string_view notFound)
    : under_(under), disk_(disk), file_(file), notFound_(notFound) {
    disk_.Fail(DiskFault::None);  // a fault of an earlier call is not this write's reason
}

MessageAnswer WriteWatch::Show(std::string_view title, std::string_view text,
                               MessageButtons buttons, MessageIcon icon) {
    if (text != notFound_) return under_.Show(title, text, buttons, icon);
    failed_ = true;
    const DiskFault fault = disk_.LastFault();
    if (fault == DiskFault::None || fault == DiskFault::Missing) {
        return under_.Show(title, text, buttons, icon);
    }
    return under_.Show(title, CannotWrite(fault, file_), buttons, icon);
}

bool WriteWatch::Written(bool ok) {
    if (!ok) Error(notFound_);
    return ok && !failed_;
}

void ShowRadioConflicts(QLabel& label, const std::vector<std::string>& lines) {
    QPalette red = label.palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    label.setPalette(red);
    const QString all = ToQString(AllLines(lines));
    label.setToolTip(all);
    label.setAccessibleDescription(all);
    if (lines.empty()) {
        label.clear();
        return;
    }
    const QString text = ToQString(std::string(kConflictHeading) + ": " + FirstAndMore(lines));
    label.setText(
        label.fontMetrics().elidedText(text, Qt::ElideMiddle, label.contentsRect().width()));
}

}  // namespace velkaro
