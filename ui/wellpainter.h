#pragma once
// Draws the game on the main window: the well with its settled cells, grid and falling figure,
// the next figure in its circle, and the preview of the figures after it. It listens to the game
// and picks what to draw for what happened.
#include <functional>

#include "rules/game.h"
#include "ui/toolkit/surface.h"

namespace talomir::ui {

class WellPainter : public GameEvents {
public:
    // future: the preview's surface, nullptr while it is hidden.
    WellPainter(const Game& game, vb::PictureBox* well, vb::FormSurface* window,
                std::function<vb::PictureBox*()> future);

    // The well's scale and the next figure's box, then the figure and the next figure.
    void layout();
    void Draw_Well();
    void Draw_Grid();
    void Draw_Figure();
    void Draw_Next_Figure();
    void Draw_Future();
    // Paints the next figure's box, in the window's Paint handler.
    void paintNextFigure();

    // GameEvents
    void gameDealt() override;
    void figureShown() override { Draw_Figure(); }
    void wellChanged() override;
    void nextFigureShown(FigureKind, Long) override { Draw_Next_Figure(); }
    void queueShown() override { Draw_Future(); }
    void placeGained(int place) override;

private:
    const Game& game_;
    vb::PictureBox* well_;
    vb::FormSurface* window_;
    std::function<vb::PictureBox*()> future_;
    int nextBoxX_ = 0;
    int nextBoxY_ = 0;
};

}  // namespace talomir::ui
