#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "shell/live_screen_widget.h"

class QScreen;

namespace velkaro {

// The race screen full screen on a screen of its own (a projector, a TV) while the main window
// keeps its panel, tree and table on the laptop. Only a view: it paints the same run from the
// same input, and closing it loses nothing.
class RaceScreenOutput final : public QObject {
    Q_OBJECT

  public:
    RaceScreenOutput(std::function<LiveScreenInput()> provider,
                     std::array<std::int32_t, kColumns>& widths, QObject* parent = nullptr);
    ~RaceScreenOutput() override;

    // The screen by its name, "" for the main window alone. A screen not connected now is
    // remembered: the race screen goes there when it comes.
    void ShowOn(const QString& screenName);
    const QString& Chosen() const { return chosen_; }
    // The full-screen view, null while the race screen is only in the main window.
    LiveScreenWidget* View() const { return view_; }

    void Remeasure(int carsInRun);
    void UpdateRun();

    // What the screens' signals call: a screen unplugged takes the race screen back into the
    // main window, the chosen one plugged in again shows it there.
    void OnScreenRemoved(QScreen* screen);
    void OnScreenAdded(QScreen* screen);

  private:
    void Close();

    std::function<LiveScreenInput()> provider_;
    std::array<std::int32_t, kColumns>& widths_;
    QString chosen_;
    QPointer<LiveScreenWidget> view_;
    QScreen* on_ = nullptr;  // compared only: by the time it is removed the window may have left it
    int carsInRun_ = 0;
};

// The name a screen is listed and remembered by.
QString ScreenName(const QScreen& screen);

}  // namespace velkaro
