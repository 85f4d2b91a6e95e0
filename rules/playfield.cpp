#include "rules/playfield.h"

namespace talomir {

void Playfield::reset() {
    for (auto& col : Well)
        for (bool& c : col) c = false;
    Fig = {};
    FigX = kEntryX;
    FigY = kEntryY;
}

bool Playfield::Can_Place(const CellArray& a) const {
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 4; ++y) {
            if (!a[x][y]) continue;
            const int c = FigX + x, r = FigY + y;
            if (c <= 3 || c >= WellWidth - 3 || r > WellHeight - 4) return false;
            if (Well[c][r]) return false;
        }
    }
    return true;
}

bool Playfield::Enable_Move_Left_Right(int Index) const {
    const int nx = FigX + Index - 1;
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 4; ++y) {
            if (!Fig[x][y]) continue;
            const int c = nx + x;
            if (c < 4 || c > WellWidth - 4) return false;
            if (Well[c][FigY + y]) return false;
        }
    }
    return true;
}

void Playfield::Rotate_Figure() {
    CellArray t{};
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y) t[3 - y][x] = Fig[x][y];
    if (Can_Place(t)) Fig = t;
}

bool Playfield::Can_Move_Down() const {
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 4; ++y) {
            if (!Fig[x][y]) continue;
            const int r = FigY + y;
            if (r == WellHeight - 4) return false;
            if (Well[FigX + x][r + 1]) return false;
        }
    }
    return true;
}

void Playfield::Update_Array_C() {
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            if (Fig[x][y]) Well[FigX + x][FigY + y] = true;
}

bool Playfield::GameOver() const {
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            if (Fig[x][y] && Well[FigX + x][FigY + y]) return true;
    return false;
}

}  // namespace talomir
