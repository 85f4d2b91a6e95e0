#include "sound/recording_audio.h"

#include <QFileInfo>
#include <algorithm>

namespace talomir {

struct RecordingAudio::Log {
    std::vector<AudioOp> ops;
    int nextBuffer = 1;
    int live = 0;

    void add(AudioOp::Kind kind, int buffer, const QString& path, int value = 0) {
        ops.push_back(AudioOp{kind, buffer, path, value, {}});
    }
};

namespace {

class RecordingBuffer final : public AudioBuffer {
public:
    RecordingBuffer(std::shared_ptr<RecordingAudio::Log> log, int id, QString path)
        : log_(std::move(log)), id_(id), path_(std::move(path)) {
        ++log_->live;
    }
    ~RecordingBuffer() override {
        log_->add(AudioOp::Kind::Release, id_, path_);
        --log_->live;
    }
    void play(bool looping) override {
        log_->add(AudioOp::Kind::Play, id_, path_, looping ? 1 : 0);
    }
    void stop() override { log_->add(AudioOp::Kind::Stop, id_, path_); }
    void rewind() override { log_->add(AudioOp::Kind::Rewind, id_, path_); }
    void setVolume(int volume) override { log_->add(AudioOp::Kind::SetVolume, id_, path_, volume); }
    void setPan(int pan) override { log_->add(AudioOp::Kind::SetPan, id_, path_, pan); }
    void queuePans(std::span<const int> pans, std::chrono::steady_clock::time_point,
                   std::chrono::nanoseconds) override {
        log_->add(AudioOp::Kind::QueuePans, id_, path_);
        log_->ops.back().pans.assign(pans.begin(), pans.end());
    }
    void unqueuePans(int count) override {
        log_->add(AudioOp::Kind::UnqueuePans, id_, path_, count);
    }

private:
    std::shared_ptr<RecordingAudio::Log> log_;
    int id_;
    QString path_;
};

}  // namespace

RecordingAudio::RecordingAudio() : log_(std::make_shared<Log>()) {}

RecordingAudio::~RecordingAudio() = default;

std::unique_ptr<AudioBuffer> RecordingAudio::load(const QString& path) {
    const bool ok =
        !path.isEmpty() && !failing_.contains(path) && (acceptAnyPath_ || QFileInfo(path).isFile());
    if (!ok) {
        log_->add(AudioOp::Kind::LoadFailed, 0, path);
        return nullptr;
    }
    const int id = log_->nextBuffer++;
    log_->add(AudioOp::Kind::Load, id, path);
    return std::make_unique<RecordingBuffer>(log_, id, path);
}

void RecordingAudio::setAcceptAnyPath(bool accept) {
    acceptAnyPath_ = accept;
}

void RecordingAudio::failPath(const QString& path) {
    failing_.insert(path);
}

const std::vector<AudioOp>& RecordingAudio::ops() const {
    return log_->ops;
}

QStringList RecordingAudio::lines() const {
    QStringList out;
    for (const AudioOp& op : log_->ops) {
        const QString n = QString::number(op.buffer);
        switch (op.kind) {
            case AudioOp::Kind::Load:
                out << QStringLiteral("load %1 %2").arg(n, op.path);
                break;
            case AudioOp::Kind::LoadFailed:
                out << QStringLiteral("load-failed %1").arg(op.path);
                break;
            case AudioOp::Kind::Play:
                out << QStringLiteral("play %1 %2").arg(n, op.value ? "loop" : "once");
                break;
            case AudioOp::Kind::Stop:
                out << QStringLiteral("stop %1").arg(n);
                break;
            case AudioOp::Kind::Rewind:
                out << QStringLiteral("rewind %1").arg(n);
                break;
            case AudioOp::Kind::SetVolume:
                out << QStringLiteral("volume %1 %2").arg(n).arg(op.value);
                break;
            case AudioOp::Kind::SetPan:
                out << QStringLiteral("pan %1 %2").arg(n).arg(op.value);
                break;
            case AudioOp::Kind::QueuePans: {
                QString line = QStringLiteral("pans %1").arg(n);
                for (int pan : op.pans) line += QLatin1Char(' ') + QString::number(pan);
                out << line;
                break;
            }
            case AudioOp::Kind::UnqueuePans:
                out << QStringLiteral("unqueue %1 %2").arg(n).arg(op.value);
                break;
            case AudioOp::Kind::Release:
                out << QStringLiteral("release %1").arg(n);
                break;
        }
    }
    return out;
}

void RecordingAudio::clear() {
    log_->ops.clear();
}

int RecordingAudio::loadCount(const QString& path) const {
    int count = 0;
    for (const AudioOp& op : log_->ops)
        if ((op.kind == AudioOp::Kind::Load || op.kind == AudioOp::Kind::LoadFailed) &&
            op.path == path)
            ++count;
    return count;
}

QStringList RecordingAudio::playedPaths() const {
    QStringList out;
    for (const AudioOp& op : log_->ops)
        if (op.kind == AudioOp::Kind::Play) out << op.path;
    return out;
}

std::vector<int> RecordingAudio::pans() const {
    std::vector<int> out;
    for (const AudioOp& op : log_->ops) {
        if (op.kind == AudioOp::Kind::SetPan) out.push_back(op.value);
        if (op.kind == AudioOp::Kind::QueuePans)
            out.insert(out.end(), op.pans.begin(), op.pans.end());
        if (op.kind == AudioOp::Kind::UnqueuePans)
            out.resize(out.size() - std::min<std::size_t>(out.size(), std::size_t(op.value)));
    }
    return out;
}

int RecordingAudio::liveBuffers() const {
    return log_->live;
}

}  // namespace talomir
