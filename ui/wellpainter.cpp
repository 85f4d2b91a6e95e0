#include "ui/wellpainter.h"

#include "presentation/presenter.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
constexpr vb::Color kSettledCell = 0x00FFFF;
constexpr vb::Color kFallingCell = 0xFFFF00;
constexpr vb::Color kPreviewOne = 0x00FFFF;
constexpr vb::Color kPreviewZero = vb::RGB(120, 120, 120);
constexpr vb::Color kGrid = vb::RGB(150, 175, 175);
constexpr vb::Color kGridFirst = vb::RGB(200, 200, 210);
constexpr int kCell = 250;
constexpr int kInset = 28;
constexpr int kInner = 222;

// The filled square of a cell whose top-left corner is (x, y), on either kind of surface.
template <class Surface>
void filledSquare(Surface* s, double x, double y, vb::Color colour) {
    s->FilledBox(x + kInset, y + kInset, x + kInner, y + kInner, colour);
}

// The drawn square of a cell whose top-left corner is (x, y).
void cellSquare(vb::PictureBox* s, bool filled, double x, double y, vb::Color colour) {
    if (filled)
        filledSquare(s, x, y, colour);
    else
        s->Box(x + kInset, y + kInset, x + kInner, y + kInner, colour);
}
}  // namespace

WellPainter::WellPainter(const Game& game, vb::PictureBox* well, vb::FormSurface* window,
                         std::function<vb::PictureBox*()> future)
    : game_(game), well_(well), window_(window), future_(std::move(future)) {
    QObject::connect(window_, &vb::FormSurface::Paint, window_, [this] { paintNextFigure(); });
}

void WellPainter::layout() {
    well_->setScale(3760, 7760);
    nextBoxX_ = CInt((1452 - 1000) / 2.0 + 4080);
    nextBoxY_ = CInt((1452 - 1000) / 2.0 + 2520);
    Draw_Figure();
    Draw_Next_Figure();
}

void WellPainter::gameDealt() {
    Draw_Well();
    Draw_Figure();
    Draw_Grid();
    Draw_Next_Figure();
    Draw_Future();
}

void WellPainter::wellChanged() {
    Draw_Well();
    Draw_Grid();
}

void WellPainter::placeGained(int place) {
    if (place == 0) Draw_Grid();  // the grid of the first place
}

void WellPainter::Draw_Well() {
    const Playfield& f = game_.field();
    well_->Clear();
    for (int c = 4; c <= Playfield::WellWidth - 4; ++c)
        for (int r = 0; r <= Playfield::WellHeight - 4; ++r)
            if (f.cell(c, r)) cellSquare(well_, true, (c - 4) * kCell, r * kCell, kSettledCell);
}

void WellPainter::Draw_Grid() {
    const vb::Color colour = game_.ranking().place() > 0 ? kGrid : kGridFirst;
    const int right = Playfield::WellWidth * kCell, bottom = Playfield::WellHeight * kCell;
    for (int x = 0; x <= right; x += kCell) well_->Line(x, 0, x, bottom, colour);
    for (int y = 0; y <= bottom; y += kCell) well_->Line(0, y, right, y, colour);
}

void WellPainter::Draw_Figure() {
    const Playfield& f = game_.field();
    const int figX = f.figX(), figY = f.figY();
    const int c0 = figX <= Playfield::WellWidth - 4 ? figX - 1 : figX;
    const int r0 = figY != 0 ? figY - 1 : 0;
    for (int c = c0; c <= c0 + 5; ++c) {
        for (int r = r0; r <= r0 + 4; ++r) {
            const int x = (c - 4) * kCell, y = r * kCell;
            const bool inBox = r >= figY && r <= figY + 3 && c >= figX && c <= figX + 3;
            if (inBox && f.figure()[c - figX][r - figY]) {
                cellSquare(well_, false, x, y, kFallingCell);
            } else if (c >= 3 && c <= Playfield::WellWidth - 3 && r >= 0 && r < Playfield::kRows &&
                       !f.cell(c, r)) {
                cellSquare(well_, true, x, y, 0);
            }
        }
    }
}

void WellPainter::Draw_Next_Figure() {
    window_->update(vb::twipsRect(nextBoxX_, nextBoxY_, 1000, 1000).adjusted(-1, -1, 1, 1));
}

void WellPainter::paintNextFigure() {
    window_->FilledBox(nextBoxX_, nextBoxY_, nextBoxX_ + 1000, nextBoxY_ + 1000, 0);
    const vb::Color colour = nextFigureColour(game_.nextFigureKind());
    const CellArray& next = game_.nextFigure();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (next[i][j])
                filledSquare(window_, nextBoxX_ + i * kCell, nextBoxY_ + j * kCell, colour);
}

void WellPainter::Draw_Future() {
    vb::PictureBox* pic = future_();
    if (!pic) return;  // drawn when it is shown
    pic->Clear();
    for (int k = 3; k <= 5; ++k) {
        const int y0 = (k - 3) * 1200;
        int n = 0;
        for (int a = 1; a <= 4; ++a) {
            for (int b = 1; b <= 4; ++b) {
                const char ch = game_.queue()[k].Mask[static_cast<std::size_t>(n++)];
                cellSquare(pic, false, a * kCell, y0 + b * kCell,
                           ch == '1' ? kPreviewOne : kPreviewZero);
            }
        }
    }
}

}  // namespace talomir::ui
