#pragma once
// Figure masks, cell arrays, the queue of upcoming figures and the random figure chooser.
#include <QString>
#include <array>
#include <optional>

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

inline constexpr Colour kColourClassic = 0xFFFF00;
inline constexpr Colour kColourBonus = 0x0000FF;
inline constexpr Colour kColourSuper = 0xFF0000;

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

    Integer bTalomirFigure{};
    Long lngTalomirBonus{};

private:
    void discard(int count);

    RandomSource& rng_;
    const Clock& clock_;
    FigureDealer* dealer_ = nullptr;
};

// Fills arrFIG from the mask and counts its filled cells into FigCells.
void Initialize_Array_For_Brikko(CellArray& arrFIG, const Mask& strFIG, Integer& FigCells);

struct FigureQueue {
    std::array<FigureRec, 6> entries{};  // 1 to 5 used; entry 1 current, 2 next

    FigureRec& operator[](int i) { return entries[static_cast<std::size_t>(i)]; }
    const FigureRec& operator[](int i) const { return entries[static_cast<std::size_t>(i)]; }

    void fillEntry(int i, FigureChooser& chooser);
    void Shift_Queue(FigureChooser& chooser);
};

}  // namespace talomir
