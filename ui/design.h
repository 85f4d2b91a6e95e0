#pragma once
// The design of the main window: every control with its kind, container, caption, position and
// size in twips, colours, font and help text.
#include <QString>
#include <vector>

#include "ui/toolkit/units.h"

namespace talomir::ui {

enum class Kind { Picture, Label, Frame, Shape, Check, Command };
enum class Align { Left = 0, Right = 1, Center = 2 };

struct ControlDesign {
    const char* name;  // "lblCountLines(1)" for members of a control array
    Kind kind;
    const char* container;  // "" for the window's client area
    const char* caption;
    int left, top, width, height;
    vb::Color back, fore;
    const char* face;
    double points;
    bool bold;
    Align align;
    bool visible;
};

// In creation order: later controls lie above earlier ones.
const std::vector<ControlDesign>& mainWindowDesign();
// The controls in the order the window's design lists them, which the help tour follows:
// every control with a help page of its own (not lblTotal and lblHeightBonus, whose texts the
// neighbouring labels already give).
const std::vector<const char*>& helpTourOrder();
// The help text of a control, empty when it has none.
QString helpText(const QString& name);

inline constexpr int kMainOuterWidth = 6120;
inline constexpr int kMainOuterHeight = 8450;
inline constexpr int kMainClientWidth = 6030;
inline constexpr int kMainClientHeight = 8160;

}  // namespace talomir::ui
