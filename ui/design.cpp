#include "ui/design.h"

#include <QHash>

namespace talomir::ui {

namespace {
constexpr vb::Color kBlack = 0x000000;
constexpr vb::Color kShadow = vb::kSystemButtonShadow;

const struct {
    const char* name;
    const char* text;
} kHelpTexts[] = {
    {"picTalomir",
     "Удаляются только полностью заполненные горизонтальные линии. Одной фигуркой можно удалить от "
     "1 до 4 линий."},
    {"lblLevel",
     "Уровень сложности ( Скорость игры ). Инкрементирует ( увеличивается ) после каждых девяти "
     "удаленных линий."},
    {"lblRemain", "Число линий, которые надо удалить чтобы  перейти на следующий уровень."},
    {"fraScore", "Текущий счет."},
    {"lblScore",
     "Текущий счет. В окне Statistic приведена полная информация о получении этой цифры."},
    {"lblSumBonus", "Суммарный бонус за Talomir-фигурки."},
    {"shpTwo", "Кружок ( для украшения ). Внутри него изображена следующая фигурка."},
    {"lblFirma",
     "Бонус ( до 5000 ) за показанную Talomir-фигурку. Есть супер-фигурка :  Talomir - выпадает "
     "очень редко, а бонус за нее - 25000."},
    {"fraLines", "Чем больше линий одновременно удалено, тем больше бонус."},
    {"lblCountLines(1)", "За одну удаленную линию бонус - 275."},
    {"lblCountLines(2)", "За две одновременно удаленные линии бонус - 800."},
    {"lblCountLines(3)", "За три одновременно удаленные линии бонус - 2225."},
    {"lblCountLines(4)", "За четыре одновременно удаленные линии бонус - 5000."},
    {"lblPosition", "Ваше текущее место в таблице."},
    {"lblNextPlace", "Сколько очков до следующего места в таблице."},
    {"lblPause", "Когда эта надпись видна, игра находится в режиме паузы."},
    {"fraControl", "Управление - стрелочными клавишами ( мышкой их тоже можно нажимать )."},
    {"cmdRotate(0)", "Вращение фигурки - Стрелка Вверх."},
    {"cmdLeftRight(0)", "Перемещение фигурки влево - Стрелка Влево."},
    {"cmdLeftRight(2)", "Перемещение фигурки вправо - Стрелка Вправо."},
    {"cmdDown", "Бросить фигурку - Стрелка Вниз."},
    {"lblHeightBonus", "Этот бонус зависит от времени."},
    {"lblTimeBonus", "Бонус за время. Чем быстрее Вы бросите фигурку, тем больше будет бонус."},
    {"lblTotal", "Суммарный бонус за время."},
    {"lblTotalScore", "Суммарный бонус за время."},
    {"chkAuto", "Автоматическая пристыковка окон The Best Of The Talomir, Future  и Statistic."},
    {"chkFuture", "Показать/скрыть расширенную подсказку ( окно Future )."},
    {"chkRec", "Показать/скрыть таблицу рекордов ( окно The Best Of The Talomir )."},
    {"chkStat", "Показать/скрыть статистику ( окно Statistic )."},
    {"frmMenu", "Это меню. При продвижении по таблице кнопки в Меню начинают мигать."},
    {"chkPause", "Пауза - Клавиша ESC. При нажатии ESC все окна свернутся."},
    {"chkHelp", "Вызов справки."},
    {"chkDemo", "Обучающий видеоролик ( пример ужасной игры )."},
    {"chkSet",
     "Hастройка музыкального сопровождения. Позволяет выбирать файлы которые будут воспроизводится "
     "в процессе игры."},
    {"lblAutors", "Talomir XII Vostrun: игра и звуки собраны заново для Linux."},
};
}  // namespace

const std::vector<ControlDesign>& mainWindowDesign() {
    using K = Kind;
    using A = Align;
    static const std::vector<ControlDesign> design = {
        {"picTalomir", K::Picture, "", "", 120, 120, 3495, 6495, kBlack, 0, "MS Sans Serif", 8.25,
         false, A::Left, true},
        {"lblLevel", K::Label, "", "Level # 0", 3840, 120, 1932, 492, kBlack, 0xFFFFFF, "Tahoma",
         18, true, A::Center, true},
        {"lblRemain", K::Label, "", "Label1", 3720, 720, 2172, 372, kBlack, 0x8080FF, "Tahoma",
         14.25, true, A::Center, true},
        {"fraScore", K::Frame, "", "Score", 3840, 1200, 1932, 735, kBlack, 0x00FFFF, "Tahoma", 9,
         true, A::Left, true},
        {"lblScore", K::Label, "fraScore", "---", 120, 240, 1695, 375, kBlack, 0x00FFFF, "Tahoma",
         14.25, true, A::Center, true},
        {"lblSumBonus", K::Label, "", "Label1", 3720, 2160, 2172, 252, kBlack, 0x0000FF, "Tahoma",
         8.25, true, A::Center, true},
        {"shpTwo", K::Shape, "", "", 4080, 2520, 1452, 1452, kBlack, 0x0000FF, "", 0, false,
         A::Left, true},
        {"lblFirma", K::Label, "", " Talomir - фигурка    Бонус ", 3960, 4200, 1692, 372, kBlack,
         0xFFFF00, "Tahoma", 8.25, true, A::Center, false},
        {"fraLines", K::Frame, "", "Lines Bonus", 3720, 4680, 2175, 1335, kBlack, 0xFF8080,
         "Tahoma", 9, true, A::Left, true},
        {"lblCountLines(1)", K::Label, "fraLines", "0", 120, 240, 1935, 255, kBlack, 0x00FFFF,
         "Tahoma", 8.25, true, A::Left, true},
        {"lblCountLines(2)", K::Label, "fraLines", "0", 120, 480, 1935, 255, kBlack, 0x00FFFF,
         "Tahoma", 8.25, true, A::Left, true},
        {"lblCountLines(3)", K::Label, "fraLines", "0", 120, 720, 1935, 255, kBlack, 0x00FFFF,
         "Tahoma", 8.25, true, A::Left, true},
        {"lblCountLines(4)", K::Label, "fraLines", "0", 120, 960, 1935, 255, kBlack, 0x00FFFF,
         "Tahoma", 8.25, true, A::Left, true},
        {"lblPosition", K::Label, "", "Position", 3600, 6120, 2295, 255, kBlack, 0xC0C000, "Tahoma",
         11.25, true, A::Center, true},
        {"lblNextPlace", K::Label, "", "Label1", 3600, 6480, 2295, 255, kBlack, 0xC0C000, "Tahoma",
         9.75, true, A::Center, true},
        {"lblPause", K::Label, "", "Pause", 240, 6720, 1695, 615, kBlack, 0x0000FF, "Tahoma", 20.25,
         true, A::Center, true},
        {"fraControl", K::Frame, "", "Control", 960, 6840, 1935, 975, kBlack, 0x0000FF, "Tahoma", 9,
         true, A::Left, true},
        {"cmdRotate(0)", K::Command, "fraControl", "^", 720, 240, 492, 255, kShadow, 0,
         "Times New Roman", 9.75, true, A::Center, true},
        {"cmdLeftRight(0)", K::Command, "fraControl", "<", 120, 600, 495, 255, kShadow, 0,
         "Times New Roman", 9.75, true, A::Center, true},
        {"cmdLeftRight(2)", K::Command, "fraControl", ">", 1320, 600, 495, 255, kShadow, 0,
         "Times New Roman", 9.75, true, A::Center, true},
        {"cmdDown", K::Command, "fraControl", "V", 720, 600, 492, 255, kShadow, 0,
         "Times New Roman", 9.75, true, A::Center, true},
        {"lblHeightBonus", K::Label, "", "Time Bonus :", 2880, 6840, 1215, 255, kBlack, 0x00C0C0,
         "Tahoma", 8.25, true, A::Right, true},
        {"lblTimeBonus", K::Label, "", "", 4080, 6840, 495, 255, kBlack, 0x00C000, "Tahoma", 8.25,
         true, A::Center, true},
        {"lblTotal", K::Label, "", "Total :", 4560, 6840, 615, 255, kBlack, 0x00C000, "Tahoma",
         8.25, true, A::Center, true},
        {"lblTotalScore", K::Label, "", "40000", 5160, 6840, 735, 255, kBlack, 0x00C000, "Tahoma",
         8.25, true, A::Center, true},
        {"chkAuto", K::Check, "", "Auto", 0, 6840, 855, 255, kBlack, 0xFFFF00, "Tahoma", 8.25, true,
         A::Center, true},
        {"chkFuture", K::Check, "", "Future", 0, 7080, 855, 255, kBlack, 0xFFFF00, "Tahoma", 8.25,
         true, A::Center, true},
        {"chkRec", K::Check, "", "Best", 0, 7320, 855, 255, kBlack, 0xFFFF00, "Tahoma", 8.25, true,
         A::Center, true},
        {"chkStat", K::Check, "", "Stat", 0, 7560, 855, 255, kBlack, 0xFFFF00, "Tahoma", 8.25, true,
         A::Center, true},
        {"frmMenu", K::Frame, "", "Menu", 3000, 7200, 2892, 612, kBlack, 0x00FFFF, "Tahoma", 9,
         true, A::Left, true},
        {"chkPause", K::Check, "frmMenu", "Pause", 0, 240, 732, 312, 0x0000C0, 0xFFFFC0, "Tahoma",
         9.75, true, A::Center, true},
        {"chkHelp", K::Check, "frmMenu", "Help", 720, 240, 732, 312, 0x0000C0, 0xFFFFC0, "Tahoma",
         9.75, true, A::Center, true},
        {"chkDemo", K::Check, "frmMenu", "Demo", 1440, 240, 732, 312, 0x0000C0, 0xFFFFC0, "Tahoma",
         9.75, true, A::Center, true},
        {"chkSet", K::Check, "frmMenu", "Set", 2160, 240, 732, 312, 0x0000C0, 0xFFFFC0, "Tahoma",
         9.75, true, A::Center, true},
        {"lblAutors", K::Label, "", "", 2760, 7320, 3255, 495, kBlack, 0x0000C0, "MS Sans Serif",
         8.25, true, A::Left, false},
    };
    return design;
}

const std::vector<const char*>& helpTourOrder() {
    static const std::vector<const char*> order = {
        "chkFuture",        "chkAuto",          "chkStat",          "chkRec",
        "frmMenu",          "chkPause",         "chkHelp",          "chkDemo",
        "chkSet",           "fraLines",         "lblCountLines(4)", "lblCountLines(3)",
        "lblCountLines(2)", "lblCountLines(1)", "picTalomir",       "fraScore",
        "lblScore",         "fraControl",       "cmdRotate(0)",     "cmdLeftRight(0)",
        "cmdLeftRight(2)",  "cmdDown",          "lblTotalScore",    "lblTimeBonus",
        "lblPause",         "shpTwo",           "lblAutors",        "lblNextPlace",
        "lblRemain",        "lblPosition",      "lblLevel",         "lblSumBonus",
        "lblFirma",
    };
    return order;
}

QString helpText(const QString& name) {
    static const QHash<QString, QString> texts = [] {
        QHash<QString, QString> h;
        for (const auto& t : kHelpTexts)
            h.insert(QString::fromUtf8(t.name), QString::fromUtf8(t.text));
        return h;
    }();
    return texts.value(name);
}

}  // namespace talomir::ui
