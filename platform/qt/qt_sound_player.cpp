#include "platform/qt/qt_sound_player.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "platform/cp1252.h"

namespace velkaro {

int WavDurationMs(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char riff[12];
    if (!in.read(riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return 0;
    }
    std::uint32_t byteRate = 0;
    for (;;) {
        unsigned char head[8];
        if (!in.read(reinterpret_cast<char*>(head), 8)) return 0;
        std::uint32_t size = head[4] | head[5] << 8 | head[6] << 16 | std::uint32_t(head[7]) << 24;
        if (std::memcmp(head, "fmt ", 4) == 0 && size >= 16) {
            unsigned char fmt[16];
            if (!in.read(reinterpret_cast<char*>(fmt), 16)) return 0;
            byteRate = fmt[8] | fmt[9] << 8 | fmt[10] << 16 | std::uint32_t(fmt[11]) << 24;
            in.seekg(size - 16 + (size & 1), std::ios::cur);
        } else if (std::memcmp(head, "data", 4) == 0) {
            return byteRate == 0 ? 0 : static_cast<int>(std::uint64_t(size) * 1000 / byteRate);
        } else {
            in.seekg(size + (size & 1), std::ios::cur);
        }
    }
}

bool QtSoundPlayer::Start(std::string_view file) {
    effect_.stop();
    std::string path = FileSystemName(file);
    effect_.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    effect_.play();
    return WavDurationMs(path) > 0;
}

void QtSoundPlayer::PlayAsync(std::string_view file) {
    Start(file);
}

void QtSoundPlayer::PlayAndWait(std::string_view file) {
    if (!Start(file)) return;
    int duration = WavDurationMs(FileSystemName(file));
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect_, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect_.isPlaying() && effect_.status() != QSoundEffect::Loading) loop.quit();
    });
    // Loading takes a moment; the sound lasts its duration. Without a device it never plays.
    guard.start(duration + 500);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace velkaro
