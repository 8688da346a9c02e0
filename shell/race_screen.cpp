#include "shell/race_screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace velkaro {

QString ScreenName(const QScreen& screen) {
    return screen.name();
}

RaceScreenOutput::RaceScreenOutput(std::function<LiveScreenInput()> provider,
                                   std::array<std::int32_t, kColumns>& widths, QObject* parent)
    : QObject(parent), provider_(std::move(provider)), widths_(widths) {
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &RaceScreenOutput::OnScreenRemoved);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &RaceScreenOutput::OnScreenAdded);
}

RaceScreenOutput::~RaceScreenOutput() {
    Close();
}

void RaceScreenOutput::ShowOn(const QString& screenName) {
    chosen_ = screenName;
    QScreen* target = nullptr;
    for (QScreen* s : QGuiApplication::screens()) {
        if (!screenName.isEmpty() && ScreenName(*s) == screenName) target = s;
    }
    if (target == nullptr) {
        Close();
        return;
    }
    if (view_ == nullptr) {
        view_ = new LiveScreenWidget(provider_, widths_, nullptr, true);
        view_->setWindowFlag(Qt::FramelessWindowHint);
        view_->setWindowTitle("Race screen");
        view_->setAttribute(Qt::WA_DeleteOnClose);
        view_->setAttribute(Qt::WA_QuitOnClose, false);  // closing the main window ends the program
    }
    on_ = target;
    view_->setScreen(target);
    view_->setGeometry(target->geometry());
    view_->showFullScreen();
    view_->Remeasure(carsInRun_);
}

void RaceScreenOutput::Close() {
    if (view_ != nullptr) delete view_.data();
    on_ = nullptr;
}

void RaceScreenOutput::Remeasure(int carsInRun) {
    carsInRun_ = carsInRun;
    if (view_ != nullptr) view_->Remeasure(carsInRun);
}

void RaceScreenOutput::UpdateRun() {
    if (view_ != nullptr) view_->UpdateRun();
}

void RaceScreenOutput::OnScreenRemoved(QScreen* screen) {
    if (view_ != nullptr && screen != nullptr && screen == on_) Close();
}

void RaceScreenOutput::OnScreenAdded(QScreen* screen) {
    if (view_ == nullptr && screen != nullptr && !chosen_.isEmpty() &&
        ScreenName(*screen) == chosen_) {
        ShowOn(chosen_);
    }
}

}  // namespace velkaro
