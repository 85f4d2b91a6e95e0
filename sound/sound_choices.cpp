#include "sound/sound_choices.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>

#include "persistence/textfile.h"

namespace talomir {

namespace {

constexpr SoundEvent kListOrder[] = {
    SoundEvent::TalomirFigure, SoundEvent::DeleteLines, SoundEvent::Landing, SoundEvent::Drop,
    SoundEvent::Rotate,        SoundEvent::Left,        SoundEvent::Right};

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

const SoundEventInfo* eventNamed(const QString& text) {
    for (const SoundEventInfo& info : soundEvents())
        if (info.name == text) return &info;
    return nullptr;
}

Integer toInteger(double v) {
    // Whole numbers beyond 16 bits are held at the nearest end rather than wrapped.
    constexpr double lo = std::numeric_limits<Integer>::min();
    constexpr double hi = std::numeric_limits<Integer>::max();
    return CInt(std::clamp(v, lo, hi));
}

}  // namespace

QString Get_File_Name(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}

QString Get_Dir_Name(const QString& path) {
    return path.left(lastSeparator(path) + 1);
}

QString fileCaption(const QString& path) {
    const QString name = Get_File_Name(path);
    return name.isEmpty() ? QStringLiteral("Empty") : name;
}

SpeedText readSpeedText(const QString& text) {
    const double typed = textfile::lenientNumber(text);
    // Any finite double: round first, so that "1000.4" is 1000 and "-0.4" is 0.
    const double rounded = std::nearbyint(std::clamp(typed, -1e9, 1e9));
    SpeedText out;
    out.value = toInteger(std::clamp<double>(rounded, kSpeedSliderMin, kSpeedSliderMax));
    if (rounded != out.value) out.shown = QString::number(out.value);
    return out;
}

SoundChoices::SoundChoices(SoundValues values, QString soundFolder)
    : v_(values), soundFolder_(std::move(soundFolder)) {}

QStringList SoundChoices::eventNames() {
    QStringList names;
    for (SoundEvent e : kListOrder) names << soundEvent(e).name.toString();
    return names;
}

SoundChoices::Opening SoundChoices::Form_Load() {
    Opening o;
    o.musicVolume = v_.sound.music().intBkgVolume();
    o.musicOff = !v_.EnableLoop;
    o.soundOff = !v_.sound.EnableSoundControl();
    // A box shown checked has been clicked: its switch is applied again.
    if (o.musicOff) setMusicOff(true);
    if (o.soundOff) setSoundOff(true);
    o.musicCaption = fileCaption(v_.PathToBkgMusic);
    o.speed = v_.SpeedChange;
    return o;
}

clsDMCtrl* SoundChoices::clipFor(int n) const {
    const SoundEventInfo* info = eventNamed(event_);
    if (!info) return nullptr;
    return &v_.sound.clip(n == 0 ? info->first : info->second);
}

SoundChoices::EventShown SoundChoices::shown() const {
    EventShown s;
    const SoundEventInfo* info = eventNamed(event_);
    s.twoClips = info && info->hasTwoClips();
    const auto show = [this](int n) {
        ClipShown c;
        c.caption = fileCaption(Get_Clip_Path(n));
        if (const clsDMCtrl* clip = clipFor(n)) {
            c.volume = clip->DMCtrlVolume();
            c.off = !clip->DMCtrlEnabled();
        }
        return c;
    };
    s.first = show(0);
    if (s.twoClips) s.second = show(1);
    return s;
}

QString SoundChoices::Get_Clip_Path(int n) const {
    const clsDMCtrl* clip = clipFor(n);
    return clip ? clip->DMCtrlPath() : QString();
}

void SoundChoices::Set_Clip_Property(const QVariant& value, ClipProperty kind, int n) {
    clsDMCtrl* clip = clipFor(n);
    if (!clip) return;
    switch (kind) {
        case ClipProperty::Path:
            clip->setDMCtrlPath(value.toString());
            break;
        case ClipProperty::Enabled:
            clip->setDMCtrlEnabled(value.toBool());
            break;
        case ClipProperty::Volume:
            clip->setDMCtrlVolume(toInteger(value.toDouble()));
            break;
    }
}

QString SoundChoices::chooserFolder(const QString& path) const {
    const QString folder = Get_Dir_Name(path);
    return folder.isEmpty() ? soundFolder_ : folder;
}

void SoundChoices::setSoundOff(bool off) {
    v_.sound.setEnableSoundControl(!off);
}

void SoundChoices::setMusicOff(bool off) {
    if (off)
        v_.sound.music().StopBkgMusic();
    else
        v_.sound.music().ResumeBkgMusic();
    setSweep(!off, v_.SpeedChange);
}

void SoundChoices::setSweep(bool on, Integer speed) {
    const auto change = [&] {
        v_.EnableLoop = on;
        v_.sound.setEnableLoop(on);
        v_.SpeedChange = speed;
    };
    if (steer)
        steer(change);
    else
        change();
}

void SoundChoices::setMusicVolume(int volume) {
    const Integer v = toInteger(volume);
    v_.sound.music().SetBkgVolume(v);
    v_.VolumeBkgMusic = v;
}

void SoundChoices::chooseMusic(const QString& path) {
    DirectSound& music = v_.sound.music();
    if (!path.isEmpty()) {
        music.PlayBkgMusic(path);
        v_.PathToBkgMusic = path;
    }
    // A new buffer starts at full volume.
    music.SetBkgVolume(music.intBkgVolume());
}

void SoundChoices::setSpeed(int speed) {
    setSweep(v_.EnableLoop, toInteger(speed));
}

SpeedText SoundChoices::typeSpeed(const QString& text) {
    const SpeedText t = readSpeedText(text);
    setSweep(v_.EnableLoop, t.value);
    return t;
}

}  // namespace talomir
