#pragma once

#include <array>
#include <string>

#include "event/settings_files.h"
#include "event/window_settings.h"
#include "forms_kit/form_kit.h"
#include "platform/dialogs.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace velkaro {

// "Sound options": the language of the calls and each group of sounds on or off, kept in the
// sound settings file.
class SoundOptionsForm final : public ModalForm {
  public:
    SoundOptionsForm(Messages& messages, Disk& disk, QWidget* parent = nullptr);

    const SoundSettings& Settings() const { return settings_; }

  protected:
    bool Write() override;

  private:
    Disk& disk_;
    SoundSettings settings_;  // the form's own copy
};

// "Display options": every colour and font of the live screen and its column widths, shown as
// swatches and samples, kept as the program's display settings or in display files.
class DisplayOptionsForm final : public ModalForm {
  public:
    DisplayOptionsForm(Dialogs& dialogs, Messages& messages, Disk& disk, std::string programFolder,
                       QWidget* parent = nullptr);

    const DisplaySettings& Settings() const { return settings_; }
    const WindowSettings& Window() const { return window_; }

  protected:
    bool Write() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void ShowColumn();
    void ShowAll();
    void Load();
    void Save();
    std::string SettingsFile() const;

    Dialogs& dialogs_;
    Disk& disk_;
    std::string programFolder_;
    DisplaySettings settings_;
    CustomColours custom_{};
    QComboBox* columns_;
    QLineEdit* width_;
    QRadioButton* relief_;
    QRadioButton* gradient_;
    WindowSettings window_;
    QComboBox* raceScreen_;
};

struct AppState;
struct FormHost;
class CommandRegistry;
// "Sounds" and "Display" of the Settings menu. After either form closes the window takes the
// settings file again, whatever the form wrote: the next call follows it.
void RegisterShellForms(CommandRegistry& commands, const FormHost& host, AppState& state);

}  // namespace velkaro
