#pragma once
// The game's sound events and their clips: one table, from which the list of clips, the order
// of the clip records in the settings file, the settings window's list, the clips' names and
// their shipped files all derive. A new event is one enumerator of SoundEvent and one row here;
// the compiler checks that the table and the rules agree.
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

#include "rules/events.h"

namespace talomir {

struct ClipFiles {
    const char* name;  // "mDrop1"
    const char* file;  // the shipped file in the sound folder, "drop1.WAV"
};

struct SoundEventRow {
    SoundEvent event;
    const char16_t* title;           // as the settings window lists it
    int listPosition;                // its line in that list, from the top
    int fileSlot;                    // where its first clip's record stands in the settings file
    std::array<ClipFiles, 2> clips;  // the second only for events with two sounds
};

inline constexpr std::array<SoundEventRow, kSoundEventCount> kSoundEvents = {{
    {SoundEvent::Drop, u"Бросить", 3, 3, {{{"mDrop1", "drop1.WAV"}, {"mDrop2", "drop2.WAV"}}}},
    {SoundEvent::Landing,
     u"Приземление",
     2,
     5,
     {{{"mDown1", "down1.WAV"}, {"mDown2", "down2.WAV"}}}},
    {SoundEvent::Left, u"Влево", 5, 0, {{{"mLeft1", "left1.WAV"}, {}}}},
    {SoundEvent::Right, u"Вправо", 6, 1, {{{"mRight1", "right1.WAV"}, {}}}},
    {SoundEvent::Rotate, u"Вращение", 4, 2, {{{"mRotate1", "rotate1.WAV"}, {}}}},
    {SoundEvent::DeleteLines, u"Удаление линиий", 1, 7, {{{"mDelLin1", "dellin1.WAV"}, {}}}},
    {SoundEvent::TalomirFigure,
     u"Появление Talomir-фигурки",
     0,
     8,
     {{{"mTalomir1", "talomir1.WAV"}, {}}}},
}};

// Every clip: the sounds of all events.
inline constexpr int kClipCount = [] {
    int n = 0;
    for (const SoundEventRow& row : kSoundEvents) n += soundVariants(row.event);
    return n;
}();

// One clip: an event's first (0) or second (1) sound.
struct Clip {
    SoundEvent event;
    int variant = 0;
    bool operator==(const Clip&) const = default;
};

constexpr const SoundEventRow& rowOf(SoundEvent event) {
    for (const SoundEventRow& row : kSoundEvents)
        if (row.event == event) return row;
    return kSoundEvents[0];  // every event has a row; checked below
}

// A clip's place among all clips: the order of the settings file's clip records.
constexpr int clipSlot(Clip clip) {
    return rowOf(clip.event).fileSlot + clip.variant;
}

constexpr Clip clipAt(int slot) {
    for (const SoundEventRow& row : kSoundEvents)
        for (int v = 0; v < soundVariants(row.event); ++v)
            if (row.fileSlot + v == slot) return {row.event, v};
    return {kSoundEvents[0].event, 0};
}

namespace detail {
constexpr bool everyEventOnce() {
    for (int number = 1; number <= kSoundEventCount; ++number) {
        int rows = 0;
        for (const SoundEventRow& row : kSoundEvents) rows += int(row.event) == number;
        if (rows != 1) return false;
    }
    return true;
}
constexpr bool listIsAnOrder() {
    for (int line = 0; line < kSoundEventCount; ++line) {
        int rows = 0;
        for (const SoundEventRow& row : kSoundEvents) rows += row.listPosition == line;
        if (rows != 1) return false;
    }
    return true;
}
constexpr bool slotsAreAnOrder() {
    for (int slot = 0; slot < kClipCount; ++slot) {
        int clips = 0;
        for (const SoundEventRow& row : kSoundEvents)
            for (int v = 0; v < soundVariants(row.event); ++v) clips += row.fileSlot + v == slot;
        if (clips != 1) return false;
    }
    return true;
}
constexpr bool namedAsTheyPlay() {
    for (const SoundEventRow& row : kSoundEvents)
        if ((row.clips[1].name != nullptr) != (soundVariants(row.event) == 2)) return false;
    return true;
}
}  // namespace detail
static_assert(detail::everyEventOnce(), "one row for every sound event");
static_assert(detail::listIsAnOrder(), "every event has its own line in the settings list");
static_assert(detail::slotsAreAnOrder(), "every clip has its own record in the settings file");
static_assert(detail::namedAsTheyPlay(), "a second clip exactly for the events with two sounds");
static_assert(kClipCount == 9, "the settings file holds nine clip records");

inline QString clipName(Clip clip) {
    return QString::fromLatin1(rowOf(clip.event).clips[std::size_t(clip.variant)].name);
}
inline QString defaultFileName(Clip clip) {
    return QString::fromLatin1(rowOf(clip.event).clips[std::size_t(clip.variant)].file);
}
inline QString eventTitle(SoundEvent event) {
    return QString::fromUtf16(rowOf(event).title);
}

}  // namespace talomir
