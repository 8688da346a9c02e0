#include "platform/qt/qt_sound_player.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/cp1252.h"

namespace velkaro {

namespace {

// What the sink keeps queued: enough to ride over a busy tick, short enough for the start horn
// to sound on the beat.
constexpr int kBufferMs = 25;
constexpr int kFeedMs = 5;
// A sound replaced before it is heard at all would be a lost lap beep.
constexpr int kMinimumSliceMs = 20;
// A device that stops playing must not hold the program in a wait.
constexpr int kWaitSlackMs = 1000;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::int64_t AskedUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// Keeps the stream topped up, in the audio thread.
class Feeder final : public QObject {
  public:
    explicit Feeder(QtSoundPlayer::Shared& shared) : shared_(shared) {}

    // Empty, or why the output does not open.
    std::string Open(const QAudioDevice& out, const QAudioFormat& f) {
        channels_ = f.channelCount();
        rate_ = f.sampleRate();
        sink_ = std::make_unique<QAudioSink>(out, f);
        sink_->setBufferSize(f.bytesForDuration(kBufferMs * 1000));
        stream_ = sink_->start();
        if (stream_ == nullptr || sink_->state() == QAudio::StoppedState) {
            sink_.reset();
            return "output does not open";
        }
        timer_ = std::make_unique<QTimer>();
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_.get(), &QTimer::timeout, this, [this] { Feed(); });
        timer_->start(kFeedMs);
        Feed();
        return {};
    }

    void Close() {
        timer_.reset();
        if (sink_) sink_->stop();
        sink_.reset();
    }

  private:
    // Tops the stream up to the sink's buffer: never less, or the speaker would run dry; never
    // more, or a new sound would wait behind what is queued. What the sink does not take is kept
    // for the next round: a dropped sample is a click, and a beep so cut no longer sounds whole.
    void Feed() {
        if (sink_->state() == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
            shared_.failed = true;
            return;
        }
        if (WritePending()) {
            const qsizetype frameBytes = qsizetype(sizeof(std::int16_t)) * channels_;
            const qsizetype frames = sink_->bytesFree() / frameBytes;
            if (frames > 0) {
                buffer_.resize(std::size_t(frames * channels_));
                {
                    std::lock_guard hold(shared_.lock);
                    shared_.mixer->Render(buffer_.data(), frames);
                }
                const char* bytes = reinterpret_cast<const char*>(buffer_.data());
                pending_.assign(bytes, bytes + frames * frameBytes);
                WritePending();
            }
        }
        shared_.framesPlayed = sink_->processedUSecs() * rate_ / 1000000;
    }

    // True when nothing is left waiting for room in the sink.
    bool WritePending() {
        if (pending_.empty()) return true;
        const qint64 written = stream_->write(pending_.data(), qint64(pending_.size()));
        if (written > 0) pending_.erase(pending_.begin(), pending_.begin() + written);
        return pending_.empty();
    }

    QtSoundPlayer::Shared& shared_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* stream_ = nullptr;  // the sink's
    std::unique_ptr<QTimer> timer_;
    std::vector<std::int16_t> buffer_;
    std::vector<char> pending_;  // rendered, not yet taken by the sink
    int channels_ = 1;
    int rate_ = 44100;
};

QtSoundPlayer::QtSoundPlayer(std::string folder) : folder_(std::move(folder)) {
    QAudioDevice out = QMediaDevices::defaultAudioOutput();
    if (out.isNull()) {
        status_ = "no audio device";
        return;
    }
    QAudioFormat f;
    f.setSampleRate(44100);
    f.setChannelCount(std::clamp(out.preferredFormat().channelCount(), 1, 2));
    f.setSampleFormat(QAudioFormat::Int16);
    if (!out.isFormatSupported(f)) {
        f = out.preferredFormat();
        f.setSampleFormat(QAudioFormat::Int16);
        if (!out.isFormatSupported(f)) {
            status_ = "no 16-bit output";
            return;
        }
    }
    format_ = {f.sampleRate(), f.channelCount()};
    shared_.mixer.emplace(format_, format_.rate * kMinimumSliceMs / 1000);
    thread_.setObjectName("sound");
    thread_.start(QThread::TimeCriticalPriority);
    auto* feeder = new Feeder(shared_);
    feeder->moveToThread(&thread_);
    feeder_ = feeder;
    QMetaObject::invokeMethod(
        feeder, [&] { status_ = feeder->Open(out, f); }, Qt::BlockingQueuedConnection);
    if (status_.empty()) Reload();
}

QtSoundPlayer::~QtSoundPlayer() {
    if (feeder_ == nullptr) return;
    auto* feeder = static_cast<Feeder*>(feeder_);
    QMetaObject::invokeMethod(
        feeder, [feeder] { feeder->Close(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete feeder;
}

std::string_view QtSoundPlayer::Status() const {
    if (status_.empty() && shared_.failed) return "output failed";
    return status_;
}

void QtSoundPlayer::Reload() {
    if (!shared_.mixer) return;
    namespace fs = std::filesystem;
    std::map<std::string, std::shared_ptr<const PcmSound>> loaded;
    std::error_code ec;
    const std::string dir = FileSystemName(folder_);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file() || Lower(it->path().extension().string()) != ".wav") continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto sound = std::make_shared<PcmSound>();
        sound->name = dir + "/" + it->path().filename().string();
        std::string why;
        if (DecodeWav(bytes, format_, *sound, why)) loaded[sound->name] = std::move(sound);
    }
    sounds_ = std::move(loaded);
    if (sounds_.empty()) {
        status_ = "no files in " + dir;
    } else if (status_.rfind("no files", 0) == 0) {
        status_.clear();
    }
}

std::shared_ptr<const PcmSound> QtSoundPlayer::Find(std::string_view file) {
    auto it = sounds_.find(FileSystemName(file));
    return it == sounds_.end() ? nullptr : it->second;
}

std::int64_t QtSoundPlayer::FramesPlayed() const {
    return shared_.framesPlayed;
}

void QtSoundPlayer::PlayAsync(std::string_view file) {
    if (auto sound = Find(file)) {
        std::lock_guard hold(shared_.lock);
        shared_.mixer->Start(std::move(sound), AskedUs());
    }
}

void QtSoundPlayer::PlayWatched(std::string_view file) {
    watching_ = false;
    auto sound = Find(file);
    if (!sound) return;
    const auto frames = std::int64_t(sound->samples.size()) / format_.channels;
    {
        std::lock_guard hold(shared_.lock);
        watchTicket_ = shared_.mixer->Start(std::move(sound), AskedUs());
    }
    watchBoundMs_ = frames * 1000 / format_.rate + kWaitSlackMs;
    watched_.start();
    watching_ = true;
}

bool QtSoundPlayer::Heard() {
    if (!watching_) return true;
    std::optional<std::int64_t> end;
    {
        std::lock_guard hold(shared_.lock);
        end = shared_.mixer->EndFrame(watchTicket_);
    }
    if ((end && FramesPlayed() >= *end) || watched_.elapsed() > watchBoundMs_ || shared_.failed) {
        watching_ = false;
    }
    return !watching_;
}

void QtSoundPlayer::PlayAndWait(std::string_view file) {
    PlayWatched(file);
    if (Heard()) return;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (Heard()) loop.quit();
    });
    poll.start(2);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace velkaro
