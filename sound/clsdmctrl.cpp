#include "sound/clsdmctrl.h"

#include <QFile>
#include <QFileInfo>

#include "persistence/gamefolders.h"

#if defined(__unix__)
#include <sys/stat.h>
#endif

namespace talomir {

FileStamp FileStamp::of(const QString& path) {
    FileStamp stamp;
    stamp.path = path;
    if (path.isEmpty()) return stamp;
#if defined(__unix__)
    // One stat call; its change time also catches a file replaced by a copy that kept the
    // size and modification time of the old one.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.modifiedNs = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.changedNs = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
    stamp.inode = static_cast<quint64>(st.st_ino);
#else
    const QFileInfo info(path);
    if (!info.isFile()) return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000LL;
#endif
    return stamp;
}

clsDMCtrl::clsDMCtrl(AudioBackend& audio, const SoundSwitches& switches)
    : audio_(audio), switches_(switches) {}

clsDMCtrl::~clsDMCtrl() {
    DMCtrlFree();
}

void clsDMCtrl::DMCtrlPlay() {
    if (!switches_.EnableSoundControl || !blnEnabled) return;
    if (objBuffer) objBuffer->stop();
    AudioBuffer* buffer = DMCtrlInit();
    if (!buffer) return;
    buffer->rewind();
    buffer->setVolume(intVolume);
    buffer->play(false);
}

AudioBuffer* clsDMCtrl::DMCtrlInit() {
    FileStamp now = FileStamp::of(strPath);
    if (!now.exists) now = FileStamp::of(GameFolders::current().playable(strPath));
    if (tried_ && now == loaded_) return objBuffer.get();
    DMCtrlFree();
    tried_ = true;
    loaded_ = std::move(now);
    // A file that failed stays silent, without being read again, until it changes.
    if (!loaded_.path.isEmpty()) objBuffer = audio_.load(loaded_.path);
    return objBuffer.get();
}

void clsDMCtrl::DMCtrlFree() {
    objBuffer.reset();  // releasing a buffer stops it
    tried_ = false;
}

}  // namespace talomir
