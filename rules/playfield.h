#pragma once
// The well and every rule that decides where the current figure may stand.
#include <array>

#include "rules/figures.h"
#include "rules/vbtypes.h"

namespace talomir {

class Playfield {
public:
    static constexpr int kCols = 23;  // columns 0..22; play columns 4..18
    static constexpr int kRows = 35;  // rows 0..34; play rows 0..30
    static constexpr Byte WellWidth = kCols - 1;
    static constexpr Byte WellHeight = kRows - 1;
    static constexpr Byte kEntryX = 18 / 2;
    static constexpr Byte kEntryY = 0;

    void reset();  // an empty well, figure at the entry position

    bool Can_Place(const CellArray& a) const;
    bool Enable_Move_Left_Right(int Index) const;
    void Rotate_Figure();
    bool Can_Move_Down() const;
    void Update_Array_C();  // commit the figure into the well
    bool GameOver() const;

    // Removes every full row from the bottom up; onRow runs after each removed row.
    template <class OnRow>
    void Remove_Full_Lines(Integer& n, OnRow&& onRow) {
        int y = WellHeight;
        while (y >= 0) {
            int count = 0;
            for (int c = 0; c <= WellWidth; ++c) count += Well[c][y];
            if (count == 15) {
                n = addClamped16(n, 1);
                for (int r = y; r >= 1; --r)
                    for (int c = 0; c <= WellWidth; ++c) Well[c][r] = Well[c][r - 1];
                for (int c = 0; c <= WellWidth; ++c) Well[c][0] = false;
                onRow();
            } else {
                --y;
            }
        }
    }

    // The figure: its cells, where its box stands, and its moves (checked by the caller).
    const CellArray& figure() const { return Fig; }
    Byte figX() const { return FigX; }
    Byte figY() const { return FigY; }
    void setFigure(const CellArray& cells) { Fig = cells; }
    void moveBy(int columns) { FigX = static_cast<Byte>(FigX + columns); }
    void fall() { ++FigY; }
    void enterFigure() { FigX = kEntryX, FigY = kEntryY; }
    // Puts the figure's box anywhere (a test's starting position).
    void placeFigure(Byte x, Byte y) { FigX = x, FigY = y; }

    bool cell(int c, int r) const { return Well[c][r]; }
    void setCell(int c, int r, bool filled) { Well[c][r] = filled; }

private:
    bool Well[kCols][kRows] = {};
    CellArray Fig{};
    Byte FigX = kEntryX;
    Byte FigY = kEntryY;
};

}  // namespace talomir
