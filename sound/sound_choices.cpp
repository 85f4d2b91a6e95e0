#include "sound/sound_choices.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>

#include "persistence/textfile.h"

namespace talomir {

namespace {

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

const SoundEventRow* eventNamed(const QString& text) {
    for (const SoundEventRow& row : kSoundEvents)
        if (QStringView(row.title) == text) return &row;
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

SoundChoices::SoundChoices(SoundEngine& sound, QString soundFolder)
    : sound_(sound), soundFolder_(std::move(soundFolder)) {}

QStringList SoundChoices::eventNames() {
    QStringList names;
    for (int line = 0; line < kSoundEventCount; ++line)
        for (const SoundEventRow& row : kSoundEvents)
            if (row.listPosition == line) names << QString::fromUtf16(row.title);
    return names;
}

SoundChoices::Opening SoundChoices::Form_Load() {
    Opening o;
    o.musicVolume = sound_.music().intBkgVolume();
    o.musicOff = !sound_.EnableLoop();
    o.soundOff = !sound_.EnableSoundControl();
    // A box shown checked has been clicked: its switch is applied again.
    if (o.musicOff) setMusicOff(true);
    if (o.soundOff) setSoundOff(true);
    o.musicCaption = fileCaption(sound_.musicPath());
    o.speed = sound_.sweepStep();
    return o;
}

clsDMCtrl* SoundChoices::clipFor(int n) const {
    const SoundEventRow* row = eventNamed(event_);
    if (!row) return nullptr;
    // Any n but 0 is the second clip, or the only one of an event with one.
    return &sound_.clip({row->event, n != 0 && soundVariants(row->event) == 2 ? 1 : 0});
}

SoundChoices::EventShown SoundChoices::shown() const {
    EventShown s;
    const SoundEventRow* row = eventNamed(event_);
    s.twoClips = row && soundVariants(row->event) == 2;
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
    sound_.setEnableSoundControl(!off);
}

void SoundChoices::setMusicOff(bool off) {
    if (off)
        sound_.music().StopBkgMusic();
    else
        sound_.music().ResumeBkgMusic();
    setSweep(!off, sound_.sweepStep());
}

void SoundChoices::setSweep(bool on, Integer speed) {
    const auto change = [&] {
        sound_.setEnableLoop(on);
        sound_.setSweepStep(speed);
    };
    if (steer)
        steer(change);
    else
        change();
}

void SoundChoices::setMusicVolume(int volume) {
    const Integer v = toInteger(volume);
    sound_.music().SetBkgVolume(v);
    sound_.setMusicVolume(v);
}

void SoundChoices::chooseMusic(const QString& path) {
    DirectSound& music = sound_.music();
    if (!path.isEmpty()) {
        music.PlayBkgMusic(path);
        sound_.setMusicPath(path);
    }
    // A new buffer starts at full volume.
    music.SetBkgVolume(music.intBkgVolume());
}

void SoundChoices::setSpeed(int speed) {
    setSweep(sound_.EnableLoop(), toInteger(speed));
}

SpeedText SoundChoices::typeSpeed(const QString& text) {
    const SpeedText t = readSpeedText(text);
    setSweep(sound_.EnableLoop(), t.value);
    return t;
}

}  // namespace talomir
