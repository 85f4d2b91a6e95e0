#pragma once
// One sound clip of the game: a wav file, an on/off switch and a volume.

#include <QString>
#include <cstdint>
#include <memory>

#include "sound/audio_backend.h"

namespace talomir {

// The switches shared by all clips and the music; False at start, as before any settings.
struct SoundSwitches {
    bool EnableSoundControl = false;  // sounds of game events on
    bool EnableLoop = false;          // background music on, and its pan sweep
};

// Identity of a file on disk as of its last status check; a change of any field means the
// file was replaced or rewritten.
struct FileStamp {
    QString path;
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;

    static FileStamp of(const QString& path);
    bool operator==(const FileStamp&) const = default;
};

class clsDMCtrl {
public:
    clsDMCtrl(AudioBackend& audio, const SoundSwitches& switches);
    ~clsDMCtrl();
    clsDMCtrl(const clsDMCtrl&) = delete;
    clsDMCtrl& operator=(const clsDMCtrl&) = delete;

    // Plays the clip once, cutting off its own previous play; silent while the event sounds
    // or the clip are switched off, or when the file is missing or unreadable. The file is
    // decoded at the first play and again only after it changed on disk, so a play of an
    // unchanged file reads nothing.
    void DMCtrlPlay();

    QString DMCtrlPath() const { return strPath; }
    void setDMCtrlPath(const QString& NewPath) { strPath = NewPath; }
    int16_t DMCtrlVolume() const { return intVolume; }
    void setDMCtrlVolume(int16_t NewVolume) { intVolume = NewVolume; }
    bool DMCtrlEnabled() const { return blnEnabled; }
    void setDMCtrlEnabled(bool NewEnable) { blnEnabled = NewEnable; }

private:
    // The buffer for the current path, decoded anew when the file changed; nullptr when the
    // file cannot be played.
    AudioBuffer* DMCtrlInit();
    void DMCtrlFree();

    AudioBackend& audio_;
    const SoundSwitches& switches_;
    int16_t intVolume = 0;
    QString strPath;
    bool blnEnabled = false;
    std::unique_ptr<AudioBuffer> objBuffer;
    FileStamp loaded_;    // the file objBuffer was decoded from, or that failed to decode
    bool tried_ = false;  // loaded_ is meaningful
};

}  // namespace talomir
