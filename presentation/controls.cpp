#include "presentation/controls.h"

#include <algorithm>
#include <array>

namespace talomir {

namespace {
using K = ControlKind;
using A = Align;
constexpr const char* kTahoma = "Tahoma";
constexpr const char* kSerif = "Times New Roman";

// clang-format off
constexpr std::array<ControlRow, kCtlCount> kRows = {{
    {.ctl = Ctl::picTalomir, .name = "picTalomir", .kind = K::Picture,
     .left = 120, .top = 120, .width = 3495, .height = 6495,
     .face = "MS Sans Serif", .points = 8.25, .bold = false,
     .help = "Удаляются только полностью заполненные горизонтальные линии. Одной фигуркой можно "
             "удалить от 1 до 4 линий.",
     .tourStep = 15},
    {.ctl = Ctl::lblLevel, .name = "lblLevel", .kind = K::Label, .caption = "Level # 0",
     .left = 3840, .top = 120, .width = 1932, .height = 492, .fore = 0xFFFFFF,
     .face = kTahoma, .points = 18, .align = A::Center,
     .help = "Уровень сложности ( Скорость игры ). Инкрементирует ( увеличивается ) после каждых "
             "девяти удаленных линий.",
     .tourStep = 31},
    {.ctl = Ctl::lblRemain, .name = "lblRemain", .kind = K::Label, .caption = "Label1",
     .left = 3720, .top = 720, .width = 2172, .height = 372, .fore = 0x8080FF,
     .face = kTahoma, .points = 14.25, .align = A::Center,
     .help = "Число линий, которые надо удалить чтобы  перейти на следующий уровень.",
     .tourStep = 29},
    {.ctl = Ctl::fraScore, .name = "fraScore", .kind = K::Frame, .caption = "Score",
     .left = 3840, .top = 1200, .width = 1932, .height = 735, .fore = 0x00FFFF,
     .face = kTahoma, .points = 9, .help = "Текущий счет.", .tourStep = 16},
    {.ctl = Ctl::lblScore, .name = "lblScore", .kind = K::Label, .container = Ctl::fraScore,
     .caption = "---", .left = 120, .top = 240, .width = 1695, .height = 375, .fore = 0x00FFFF,
     .face = kTahoma, .points = 14.25, .align = A::Center,
     .help = "Текущий счет. В окне Statistic приведена полная информация о получении этой цифры.",
     .tourStep = 17},
    {.ctl = Ctl::lblSumBonus, .name = "lblSumBonus", .kind = K::Label, .caption = "Label1",
     .left = 3720, .top = 2160, .width = 2172, .height = 252, .fore = 0x0000FF,
     .face = kTahoma, .points = 8.25, .align = A::Center,
     .help = "Суммарный бонус за Talomir-фигурки.", .tourStep = 32},
    {.ctl = Ctl::shpTwo, .name = "shpTwo", .kind = K::Shape,
     .left = 4080, .top = 2520, .width = 1452, .height = 1452, .fore = 0x0000FF, .bold = false,
     .help = "Кружок ( для украшения ). Внутри него изображена следующая фигурка.",
     .tourStep = 26},
    {.ctl = Ctl::lblFirma, .name = "lblFirma", .kind = K::Label,
     .caption = " Talomir - фигурка    Бонус ", .left = 3960, .top = 4200, .width = 1692,
     .height = 372, .fore = 0xFFFF00, .face = kTahoma, .points = 8.25, .align = A::Center,
     .visible = false,
     .help = "Бонус ( до 5000 ) за показанную Talomir-фигурку. Есть супер-фигурка :  Talomir - "
             "выпадает очень редко, а бонус за нее - 25000.",
     .tourStep = 33},
    {.ctl = Ctl::fraLines, .name = "fraLines", .kind = K::Frame, .caption = "Lines Bonus",
     .left = 3720, .top = 4680, .width = 2175, .height = 1335, .fore = 0xFF8080,
     .face = kTahoma, .points = 9,
     .help = "Чем больше линий одновременно удалено, тем больше бонус.", .tourStep = 10},
    {.ctl = Ctl::lblCountLines1, .name = "lblCountLines(1)", .kind = K::Label,
     .container = Ctl::fraLines, .caption = "0", .left = 120, .top = 240, .width = 1935,
     .height = 255, .fore = 0x00FFFF, .face = kTahoma, .points = 8.25,
     .help = "За одну удаленную линию бонус - 275.", .tourStep = 14},
    {.ctl = Ctl::lblCountLines2, .name = "lblCountLines(2)", .kind = K::Label,
     .container = Ctl::fraLines, .caption = "0", .left = 120, .top = 480, .width = 1935,
     .height = 255, .fore = 0x00FFFF, .face = kTahoma, .points = 8.25,
     .help = "За две одновременно удаленные линии бонус - 800.", .tourStep = 13},
    {.ctl = Ctl::lblCountLines3, .name = "lblCountLines(3)", .kind = K::Label,
     .container = Ctl::fraLines, .caption = "0", .left = 120, .top = 720, .width = 1935,
     .height = 255, .fore = 0x00FFFF, .face = kTahoma, .points = 8.25,
     .help = "За три одновременно удаленные линии бонус - 2225.", .tourStep = 12},
    {.ctl = Ctl::lblCountLines4, .name = "lblCountLines(4)", .kind = K::Label,
     .container = Ctl::fraLines, .caption = "0", .left = 120, .top = 960, .width = 1935,
     .height = 255, .fore = 0x00FFFF, .face = kTahoma, .points = 8.25,
     .help = "За четыре одновременно удаленные линии бонус - 5000.", .tourStep = 11},
    {.ctl = Ctl::lblPosition, .name = "lblPosition", .kind = K::Label, .caption = "Position",
     .left = 3600, .top = 6120, .width = 2295, .height = 255, .fore = 0xC0C000,
     .face = kTahoma, .points = 11.25, .align = A::Center,
     .help = "Ваше текущее место в таблице.", .tourStep = 30},
    {.ctl = Ctl::lblNextPlace, .name = "lblNextPlace", .kind = K::Label, .caption = "Label1",
     .left = 3600, .top = 6480, .width = 2295, .height = 255, .fore = 0xC0C000,
     .face = kTahoma, .points = 9.75, .align = A::Center,
     .help = "Сколько очков до следующего места в таблице.", .tourStep = 28},
    {.ctl = Ctl::lblPause, .name = "lblPause", .kind = K::Label, .caption = "Pause",
     .left = 240, .top = 6720, .width = 1695, .height = 615, .fore = 0x0000FF,
     .face = kTahoma, .points = 20.25, .align = A::Center,
     .help = "Когда эта надпись видна, игра находится в режиме паузы.", .tourStep = 25},
    {.ctl = Ctl::fraControl, .name = "fraControl", .kind = K::Frame, .caption = "Control",
     .left = 960, .top = 6840, .width = 1935, .height = 975, .fore = 0x0000FF,
     .face = kTahoma, .points = 9,
     .help = "Управление - стрелочными клавишами ( мышкой их тоже можно нажимать ).",
     .tourStep = 18},
    {.ctl = Ctl::cmdRotate0, .name = "cmdRotate(0)", .kind = K::Command,
     .container = Ctl::fraControl, .caption = "^", .left = 720, .top = 240, .width = 492,
     .height = 255, .back = kButtonShadow, .face = kSerif, .points = 9.75, .align = A::Center,
     .help = "Вращение фигурки - Стрелка Вверх.", .tourStep = 19},
    {.ctl = Ctl::cmdLeftRight0, .name = "cmdLeftRight(0)", .kind = K::Command,
     .container = Ctl::fraControl, .caption = "<", .left = 120, .top = 600, .width = 495,
     .height = 255, .back = kButtonShadow, .face = kSerif, .points = 9.75, .align = A::Center,
     .help = "Перемещение фигурки влево - Стрелка Влево.", .tourStep = 20},
    {.ctl = Ctl::cmdLeftRight2, .name = "cmdLeftRight(2)", .kind = K::Command,
     .container = Ctl::fraControl, .caption = ">", .left = 1320, .top = 600, .width = 495,
     .height = 255, .back = kButtonShadow, .face = kSerif, .points = 9.75, .align = A::Center,
     .help = "Перемещение фигурки вправо - Стрелка Вправо.", .tourStep = 21},
    {.ctl = Ctl::cmdDown, .name = "cmdDown", .kind = K::Command, .container = Ctl::fraControl,
     .caption = "V", .left = 720, .top = 600, .width = 492, .height = 255,
     .back = kButtonShadow, .face = kSerif, .points = 9.75, .align = A::Center,
     .help = "Бросить фигурку - Стрелка Вниз.", .tourStep = 22},
    {.ctl = Ctl::lblHeightBonus, .name = "lblHeightBonus", .kind = K::Label,
     .caption = "Time Bonus :", .left = 2880, .top = 6840, .width = 1215, .height = 255,
     .fore = 0x00C0C0, .face = kTahoma, .points = 8.25, .align = A::Right,
     .help = "Этот бонус зависит от времени."},
    {.ctl = Ctl::lblTimeBonus, .name = "lblTimeBonus", .kind = K::Label, .left = 4080,
     .top = 6840, .width = 495, .height = 255, .fore = 0x00C000, .face = kTahoma,
     .points = 8.25, .align = A::Center,
     .help = "Бонус за время. Чем быстрее Вы бросите фигурку, тем больше будет бонус.",
     .tourStep = 24},
    {.ctl = Ctl::lblTotal, .name = "lblTotal", .kind = K::Label, .caption = "Total :",
     .left = 4560, .top = 6840, .width = 615, .height = 255, .fore = 0x00C000, .face = kTahoma,
     .points = 8.25, .align = A::Center, .help = "Суммарный бонус за время."},
    {.ctl = Ctl::lblTotalScore, .name = "lblTotalScore", .kind = K::Label, .caption = "40000",
     .left = 5160, .top = 6840, .width = 735, .height = 255, .fore = 0x00C000, .face = kTahoma,
     .points = 8.25, .align = A::Center, .help = "Суммарный бонус за время.", .tourStep = 23},
    {.ctl = Ctl::chkAuto, .name = "chkAuto", .kind = K::Check, .caption = "Auto", .left = 0,
     .top = 6840, .width = 855, .height = 255, .fore = 0xFFFF00, .face = kTahoma,
     .points = 8.25, .align = A::Center,
     .help = "Автоматическая пристыковка окон The Best Of The Talomir, Future  и Statistic.",
     .tourStep = 2},
    {.ctl = Ctl::chkFuture, .name = "chkFuture", .kind = K::Check, .caption = "Future",
     .left = 0, .top = 7080, .width = 855, .height = 255, .fore = 0xFFFF00, .face = kTahoma,
     .points = 8.25, .align = A::Center,
     .help = "Показать/скрыть расширенную подсказку ( окно Future ).", .tourStep = 1},
    {.ctl = Ctl::chkRec, .name = "chkRec", .kind = K::Check, .caption = "Best", .left = 0,
     .top = 7320, .width = 855, .height = 255, .fore = 0xFFFF00, .face = kTahoma,
     .points = 8.25, .align = A::Center,
     .help = "Показать/скрыть таблицу рекордов ( окно The Best Of The Talomir ).",
     .tourStep = 4},
    {.ctl = Ctl::chkStat, .name = "chkStat", .kind = K::Check, .caption = "Stat", .left = 0,
     .top = 7560, .width = 855, .height = 255, .fore = 0xFFFF00, .face = kTahoma,
     .points = 8.25, .align = A::Center,
     .help = "Показать/скрыть статистику ( окно Statistic ).", .tourStep = 3},
    {.ctl = Ctl::frmMenu, .name = "frmMenu", .kind = K::Frame, .caption = "Menu", .left = 3000,
     .top = 7200, .width = 2892, .height = 612, .fore = 0x00FFFF, .face = kTahoma, .points = 9,
     .help = "Это меню. При продвижении по таблице кнопки в Меню начинают мигать.",
     .tourStep = 5},
    {.ctl = Ctl::chkPause, .name = "chkPause", .kind = K::Check, .container = Ctl::frmMenu,
     .caption = "Pause", .left = 0, .top = 240, .width = 732, .height = 312, .back = 0x0000C0,
     .fore = 0xFFFFC0, .face = kTahoma, .points = 9.75, .align = A::Center,
     .help = "Пауза - Клавиша ESC. При нажатии ESC все окна свернутся.", .tourStep = 6},
    {.ctl = Ctl::chkHelp, .name = "chkHelp", .kind = K::Check, .container = Ctl::frmMenu,
     .caption = "Help", .left = 720, .top = 240, .width = 732, .height = 312, .back = 0x0000C0,
     .fore = 0xFFFFC0, .face = kTahoma, .points = 9.75, .align = A::Center,
     .help = "Вызов справки.", .tourStep = 7},
    {.ctl = Ctl::chkDemo, .name = "chkDemo", .kind = K::Check, .container = Ctl::frmMenu,
     .caption = "Demo", .left = 1440, .top = 240, .width = 732, .height = 312, .back = 0x0000C0,
     .fore = 0xFFFFC0, .face = kTahoma, .points = 9.75, .align = A::Center,
     .help = "Обучающий видеоролик ( пример ужасной игры ).", .tourStep = 8},
    {.ctl = Ctl::chkSet, .name = "chkSet", .kind = K::Check, .container = Ctl::frmMenu,
     .caption = "Set", .left = 2160, .top = 240, .width = 732, .height = 312, .back = 0x0000C0,
     .fore = 0xFFFFC0, .face = kTahoma, .points = 9.75, .align = A::Center,
     .help = "Hастройка музыкального сопровождения. Позволяет выбирать файлы которые будут "
             "воспроизводится в процессе игры.",
     .tourStep = 9},
    {.ctl = Ctl::lblAutors, .name = "lblAutors", .kind = K::Label, .left = 2760, .top = 7320,
     .width = 3255, .height = 495, .fore = 0x0000C0, .face = "MS Sans Serif", .points = 8.25,
     .visible = false, .help = "Talomir XII Vostrun: игра и звуки собраны заново для Linux.",
     .tourStep = 27},
    {.ctl = Ctl::frmMain, .name = "frmMain", .kind = K::Form, .caption = "Talomir XII Vostrun",
     .width = kMainClientWidth, .height = kMainClientHeight, .back = 0xC0C0C0,
     .face = kTahoma, .points = 8.25, .bold = false},
}};
// clang-format on

constexpr bool everyControlInItsRow() {
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (static_cast<std::size_t>(kRows[i].ctl) != i) return false;
    return true;
}
static_assert(everyControlInItsRow(), "one row for every control, in the order of Ctl");

constexpr bool containersComeFirst() {
    for (const ControlRow& row : kRows)
        if (row.container != Ctl::frmMain && row.container >= row.ctl) return false;
    return true;
}
static_assert(containersComeFirst(), "a control's container is made before it");

constexpr bool tourIsAnOrder() {
    int pages = 0;
    for (const ControlRow& row : kRows) pages += row.tourStep > 0;
    for (int step = 1; step <= pages; ++step) {
        int rows = 0;
        for (const ControlRow& row : kRows) rows += row.tourStep == step;
        if (rows != 1) return false;
    }
    return true;
}
static_assert(tourIsAnOrder(), "every page of the help tour has one control");
}  // namespace

const ControlRow& controlRow(Ctl ctl) {
    return kRows[static_cast<std::size_t>(ctl)];
}

const std::vector<ControlRow>& controlRows() {
    static const std::vector<ControlRow> rows(kRows.begin(), kRows.end() - 1);
    return rows;
}

QString ctlName(Ctl ctl) {
    return QString::fromLatin1(controlRow(ctl).name);
}

QString helpText(Ctl ctl) {
    return QString::fromUtf8(controlRow(ctl).help);
}

const std::vector<Ctl>& helpTourOrder() {
    static const std::vector<Ctl> order = [] {
        std::vector<const ControlRow*> pages;
        for (const ControlRow& row : kRows)
            if (row.tourStep > 0) pages.push_back(&row);
        std::sort(pages.begin(), pages.end(), [](const ControlRow* a, const ControlRow* b) {
            return a->tourStep < b->tourStep;
        });
        std::vector<Ctl> ctls;
        for (const ControlRow* row : pages) ctls.push_back(row->ctl);
        return ctls;
    }();
    return order;
}

}  // namespace talomir
