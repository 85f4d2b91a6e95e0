#pragma once
// A back end that plays nothing and records every operation with its arguments, for tests of
// whatever drives the sound. Buffers are numbered from 1 in the order they were loaded.

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "sound/audio_backend.h"

namespace talomir {

struct AudioOp {
    enum class Kind {
        Load,
        LoadFailed,
        Play,
        Stop,
        Rewind,
        SetVolume,
        SetPan,
        QueuePans,
        UnqueuePans,
        Release
    };
    Kind kind;
    int buffer = 0;         // 0 for a failed load
    QString path;           // the buffer's file
    int value = 0;          // volume, pan or count as passed (not clamped); 1 for a looping play
    std::vector<int> pans;  // queued pans
};

class RecordingAudio final : public AudioBackend {
public:
    RecordingAudio();
    ~RecordingAudio() override;

    // By default a load succeeds when the path names an existing file (nothing is decoded).
    std::unique_ptr<AudioBuffer> load(const QString& path) override;

    // Loads of any non-empty path succeed, existing file or not.
    void setAcceptAnyPath(bool accept);
    // Loads of this path fail, as for an unreadable file.
    void failPath(const QString& path);

    const std::vector<AudioOp>& ops() const;
    // The operations as text, one per entry: "load 1 /x/a.wav", "load-failed /x/b.wav",
    // "play 1 once", "play 1 loop", "stop 1", "rewind 1", "volume 1 -500", "pan 1 300",
    // "pans 1 300 400", "unqueue 1 2", "release 1".
    QStringList lines() const;
    void clear();

    // Load attempts since construction or the last clear(), successful or not, optionally
    // for one path only.
    int loadCount(const QString& path) const;
    // Files of the buffers played, in order of the plays.
    QStringList playedPaths() const;
    // Every pan given to a buffer, in order, whether set at once or queued (less the queued
    // ones withdrawn again).
    std::vector<int> pans() const;
    // Buffers not yet released.
    int liveBuffers() const;

    struct Log;

private:
    std::shared_ptr<Log> log_;
    bool acceptAnyPath_ = false;
    QSet<QString> failing_;
};

}  // namespace talomir
