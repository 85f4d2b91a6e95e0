#pragma once
// The main window's controls: one row each, in the design's creation order, with its kind, place
// and size in twips, colours, font, help text and place in the help tour. The window builds its
// widgets from it, the window's state starts from it, and the help tour follows it. A new control
// is one enumerator of Ctl and one row of the table (controls.cpp); the compiler checks that every
// control has its row.
#include <QString>
#include <cstdint>
#include <vector>

#include "presentation/palette.h"

namespace talomir {

// In the design's creation order: later controls lie above earlier ones.
enum class Ctl : std::uint8_t {
    picTalomir,
    lblLevel,
    lblRemain,
    fraScore,
    lblScore,
    lblSumBonus,
    shpTwo,
    lblFirma,
    fraLines,
    lblCountLines1,
    lblCountLines2,
    lblCountLines3,
    lblCountLines4,
    lblPosition,
    lblNextPlace,
    lblPause,
    fraControl,
    cmdRotate0,
    cmdLeftRight0,
    cmdLeftRight2,
    cmdDown,
    lblHeightBonus,
    lblTimeBonus,
    lblTotal,
    lblTotalScore,
    chkAuto,
    chkFuture,
    chkRec,
    chkStat,
    frmMenu,
    chkPause,
    chkHelp,
    chkDemo,
    chkSet,
    lblAutors,
    frmMain,  // the window itself: its caption and background
    Count
};
inline constexpr int kCtlCount = static_cast<int>(Ctl::Count);

inline Ctl lblCountLines(int n) {
    return static_cast<Ctl>(static_cast<int>(Ctl::lblCountLines1) + n - 1);
}

enum class ControlKind : std::uint8_t { Form, Picture, Label, Frame, Shape, Check, Command };
enum class Align : std::uint8_t { Left = 0, Right = 1, Center = 2 };

// The system's button shadow colour, which the move buttons show until a game starts.
inline constexpr Colour kButtonShadow = 0x80000010u;

struct ControlRow {
    Ctl ctl;
    const char* name;  // "lblCountLines(1)" for members of a control array
    ControlKind kind;
    Ctl container = Ctl::frmMain;
    const char* caption = "";
    int left = 0, top = 0, width = 0, height = 0;
    Colour back = 0x000000;
    Colour fore = 0x000000;  // a shape's border
    const char* face = "";
    double points = 0;
    bool bold = true;
    Align align = Align::Left;
    bool visible = true;
    const char* help = "";  // UTF-8
    int tourStep = 0;       // its page in the help tour, from 1; 0 without one
};

const ControlRow& controlRow(Ctl ctl);
// Every control, window first excluded, in creation order.
const std::vector<ControlRow>& controlRows();
QString ctlName(Ctl ctl);
QString helpText(Ctl ctl);
// The controls in the order of the help tour: every control with a page of its own (not
// lblTotal and lblHeightBonus, whose texts the neighbouring labels already give).
const std::vector<Ctl>& helpTourOrder();

inline constexpr int kMainOuterWidth = 6120;
inline constexpr int kMainOuterHeight = 8450;
inline constexpr int kMainClientWidth = 6030;
inline constexpr int kMainClientHeight = 8160;

}  // namespace talomir
