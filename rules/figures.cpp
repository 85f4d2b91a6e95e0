#include "rules/figures.h"

#include <cmath>

namespace talomir {

namespace {
Mask m(const char* s) {
    Mask r{};
    for (int i = 0; i < 16; ++i) r[static_cast<std::size_t>(i)] = s[i];
    return r;
}
}  // namespace

const std::array<Mask, 7> kClassicMasks = {
    m("0000111010000000"), m("0000011100010000"), m("0000111100000000"), m("0000010001100010"),
    m("0000001001100100"), m("0000001001110000"), m("0000011001100000")};

bool isValidMask(const QString& s) {
    if (s.size() != 16) return false;
    for (QChar c : s)
        if (c != u'0' && c != u'1') return false;
    return true;
}

Mask maskFromString(const QString& s) {
    Mask r{};
    r.fill('0');
    for (int i = 0; i < 16 && i < s.size(); ++i)
        r[static_cast<std::size_t>(i)] = s[i] == u'1' ? '1' : '0';
    return r;
}

void FigureChooser::discard(int count) {
    for (int i = 0; i < count; ++i) rng_.Rnd();
}

Mask FigureChooser::Choose_Figure() {
    if (dealer_) {
        if (auto dealt = dealer_->deal()) {
            lngTalomirBonus_ = dealt->Bonus;
            bTalomirFigure_ = dealt->IsTalomir;
            return dealt->Mask;
        }
    }
    discard(2 * clock_.seconds() + 1);
    lngTalomirBonus_ = 0;
    const int k = static_cast<int>(std::floor(7.0f * rng_.Rnd()));
    Mask mask = kClassicMasks[static_cast<std::size_t>(k >= 0 && k <= 5 ? k : 6)];
    bTalomirFigure_ = 0;
    if (static_cast<int>(std::floor(50.0f * rng_.Rnd())) == 25) {
        Initialize_Array_For_Talomir(mask);
        bTalomirFigure_ = -1;
        if (mask == kSuperMask) {
            lngTalomirBonus_ = 250000;
        } else {
            lngTalomirBonus_ = CLng(20001.0 * static_cast<double>(rng_.Rnd()) + 30000.0);
        }
    }
    return mask;
}

void FigureChooser::Initialize_Array_For_Talomir(Mask& strTalomir) {
    discard(clock_.seconds() + 1);
    int count = 0;
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const bool filled = 0.8f <= rng_.Rnd();
            strTalomir[pos++] = filled ? '1' : '0';
            count += filled;
        }
    }
    if (count == 0) strTalomir = kSuperMask;
}

void Initialize_Array_For_Brikko(CellArray& arrFIG, const Mask& strFIG, Integer& FigCells) {
    std::size_t pos = 0;
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 4; ++y) {
            const char c = strFIG[pos++];
            arrFIG[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] = c == '1';
            if (c > '0' && c <= '9') FigCells = addClamped16(FigCells, 1);
        }
    }
}

void FigureQueue::fillEntry(int i, FigureChooser& chooser) {
    FigureRec& e = entries_[static_cast<std::size_t>(i)];
    e.Mask = chooser.Choose_Figure();
    e.Bonus = chooser.lngTalomirBonus();
    e.IsTalomir = chooser.bTalomirFigure();
}

void FigureQueue::Shift_Queue(FigureChooser& chooser) {
    for (std::size_t i = 2; i <= 5; ++i) entries_[i - 1] = entries_[i];
    fillEntry(5, chooser);
}

FigureKind kindOf(const FigureRec& figure) {
    if (figure.IsTalomir == 0) return FigureKind::Classic;
    return figure.Mask == kSuperMask ? FigureKind::Super : FigureKind::Bonus;
}

}  // namespace talomir
