#pragma once
// Figure masks, cell arrays, the queue of upcoming figures and the random figure chooser.
#include <QString>
#include <array>
#include <optional>

#include "rules/events.h"
#include "rules/random.h"
#include "rules/vbtypes.h"

namespace talomir {

// 16 characters '0'/'1', column by column, each column from the top.
using Mask = std::array<char, 16>;
// Indexed [column][row], true = filled.
using CellArray = std::array<std::array<bool, 4>, 4>;

Mask maskFromString(const QString& s);  // caller checks isValidMask first
bool isValidMask(const QString& s);

inline constexpr Mask kSuperMask = {'1', '0', '0', '1', '1', '1', '1', '1',
                                    '1', '0', '0', '1', '1', '1', '1', '1'};
extern const std::array<Mask, 7> kClassicMasks;

struct FigureRec {
    ::talomir::Mask Mask{};
    Long Bonus = 0;         // tenths of a point
    Integer IsTalomir = 0;  // -1 for a bonus figure
};

// Deals figures from outside (a replay script) ahead of the random chooser.
class FigureDealer {
public:
    virtual ~FigureDealer() = default;
    virtual std::optional<FigureRec> deal() = 0;
};

class FigureChooser {
public:
    FigureChooser(RandomSource& rng, const Clock& clock) : rng_(rng), clock_(clock) {}

    // Chooses one figure; sets bTalomirFigure and lngTalomirBonus alongside.
    Mask Choose_Figure();
    void Initialize_Array_For_Talomir(Mask& strTalomir);

    void setDealer(FigureDealer* dealer) { dealer_ = dealer; }

    Integer bTalomirFigure() const { return bTalomirFigure_; }
    Long lngTalomirBonus() const { return lngTalomirBonus_; }

private:
    void discard(int count);

    RandomSource& rng_;
    const Clock& clock_;
    FigureDealer* dealer_ = nullptr;
    Integer bTalomirFigure_{};
    Long lngTalomirBonus_{};
};

// Fills arrFIG from the mask and counts its filled cells into FigCells.
void Initialize_Array_For_Brikko(CellArray& arrFIG, const Mask& strFIG, Integer& FigCells);

// Entries 1 to 5: entry 1 the falling figure, 2 the next one, 3 to 5 the preview's.
class FigureQueue {
public:
    const FigureRec& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }
    void fillEntry(int i, FigureChooser& chooser);
    void Shift_Queue(FigureChooser& chooser);

private:
    std::array<FigureRec, 6> entries_{};
};

// What a queue entry is: a classic figure, a bonus figure or the super figure.
FigureKind kindOf(const FigureRec& figure);

}  // namespace talomir
