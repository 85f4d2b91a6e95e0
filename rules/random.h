#pragma once
// The one program-wide random generator and the clock, both injected so a game can be replayed.
#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

namespace talomir {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform single in [0, 1); never 1.0, since callers index a 16-entry palette with it.
    virtual float Rnd() = 0;
};

// Starts from the same fixed seed at every program start; the only variation comes from the
// time-dependent discards of the figure chooser.
class DefaultRandom : public RandomSource {
public:
    explicit DefaultRandom(std::uint64_t seed = 0x5EEDF1A5C0FFEE11ull) : state_(seed) {}
    float Rnd() override {
        // xorshift64*; the top 24 bits give a float whose largest value is 1 - 2^-24.
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const std::uint64_t x = state_ * 0x2545F4914F6CDD1Dull;
        return static_cast<float>(x >> 40) * (1.0f / 16777216.0f);
    }

private:
    std::uint64_t state_;
};

// Plays back a script of values, then a fixed filler; tests use it to force each draw.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<float> values = {}, float filler = 0.0f)
        : values_(std::move(values)), filler_(filler) {}
    float Rnd() override {
        ++draws_;
        if (pos_ < values_.size()) return values_[pos_++];
        return filler_;
    }
    void push(float v) { values_.push_back(v); }
    void setFiller(float f) { filler_ = f; }
    std::size_t draws() const { return draws_; }
    std::size_t remaining() const { return values_.size() - pos_; }

private:
    std::vector<float> values_;
    std::size_t pos_ = 0;
    std::size_t draws_ = 0;
    float filler_;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual int seconds() const = 0;        // seconds of the time of day, 0 to 59
    virtual QString shortDate() const = 0;  // today's date in the short date format
};

// The date in the short date format of the locale the environment names for dates (LC_ALL,
// LC_TIME, LANG), as the C library writes it ("%x"): "12/07/26" in the C locale, "07.12.2026" in
// Russian. A locale that is named but not installed counts as the C locale, as in other programs.
QString shortDateText(const QDate& date);

class SystemClock : public Clock {
public:
    int seconds() const override;
    QString shortDate() const override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(int s = 0, QString date = QStringLiteral("06.12.2026"))
        : s_(s), date_(std::move(date)) {}
    int seconds() const override { return s_; }
    QString shortDate() const override { return date_; }
    void setSeconds(int s) { s_ = s; }

private:
    int s_;
    QString date_;
};

}  // namespace talomir
