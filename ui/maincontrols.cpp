#include "ui/maincontrols.h"

#include "ui/toolkit/fonts.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {

vb::Alignment toAlignment(Align a) {
    switch (a) {
        case Align::Right:
            return vb::Alignment::Right;
        case Align::Center:
            return vb::Alignment::Center;
        case Align::Left:
            break;
    }
    return vb::Alignment::Left;
}

QWidget* make(const ControlRow& row, QWidget* parent) {
    switch (row.kind) {
        case ControlKind::Picture:
            return new vb::PictureBox(parent);
        case ControlKind::Label: {
            auto* l = new vb::Label(parent);
            l->setAlignment(toAlignment(row.align));
            return l;
        }
        case ControlKind::Frame:
            return new vb::Frame(parent);
        case ControlKind::Shape:
            return new vb::Shape(parent);
        case ControlKind::Check:
        case ControlKind::Command: {
            vb::ButtonBase* b = row.kind == ControlKind::Check
                                    ? static_cast<vb::ButtonBase*>(new vb::CheckButton(parent))
                                    : new vb::CommandButton(parent);
            // The keyboard steers the game, never a button.
            b->setFocusPolicy(Qt::NoFocus);
            return b;
        }
        case ControlKind::Form:
            break;
    }
    return nullptr;
}

}  // namespace

MainControls::MainControls(vb::FormSurface* window) {
    widgets_[std::size_t(Ctl::frmMain)] = window;
    const WindowState design;
    shown_[std::size_t(Ctl::frmMain)] = design[Ctl::frmMain];
    for (const ControlRow& row : controlRows()) {
        QWidget* w = make(row, widget(row.container));
        widgets_[std::size_t(row.ctl)] = w;
        w->setObjectName(ctlName(row.ctl));
        w->setAccessibleName(*row.caption ? QString::fromUtf8(row.caption) : ctlName(row.ctl));
        w->setAccessibleDescription(helpText(row.ctl));
        if (*row.face)
            w->setFont(vb::makeFont(QString::fromLatin1(row.face), row.points, row.bold));
        vb::setTwipsGeometry(w, row.left, row.top, row.width, row.height);
        // Unlike the design's start state, which the window shows, everything is applied once.
        shown_[std::size_t(row.ctl)] =
            ControlState{QString(), ~Colour(0), ~Colour(0), ~Colour(0), !row.visible, true, 0};
        show(row.ctl, design[row.ctl]);
    }
    // Labels and shapes are drawn on their container, beneath every windowed control: so the
    // pause label lies under the control frame and shows only while the frame is hidden.
    for (auto it = controlRows().rbegin(); it != controlRows().rend(); ++it)
        if (it->kind == ControlKind::Label || it->kind == ControlKind::Shape)
            widget(it->ctl)->lower();
}

void MainControls::show(Ctl c, const ControlState& s) {
    ControlState& was = shown_[std::size_t(c)];
    QWidget* w = widget(c);
    const ControlKind kind = controlRow(c).kind;
    if (s.Caption != was.Caption) {
        if (auto* b = qobject_cast<vb::ButtonBase*>(w))
            b->setCaption(s.Caption);
        else if (auto* l = qobject_cast<vb::CaptionedControl*>(w))
            l->setCaption(s.Caption);
        else if (kind == ControlKind::Form)
            w->setWindowTitle(s.Caption);
    }
    if (s.ForeColor != was.ForeColor) {
        if (auto* b = qobject_cast<vb::ButtonBase*>(w))
            b->setForeColor(s.ForeColor);
        else if (auto* l = qobject_cast<vb::CaptionedControl*>(w))
            l->setForeColor(s.ForeColor);
    }
    if (s.BackColor != was.BackColor) {
        if (auto* b = qobject_cast<vb::ButtonBase*>(w))
            b->setBackColor(s.BackColor);
        else if (auto* l = qobject_cast<vb::CaptionedControl*>(w))
            l->setBackColor(s.BackColor);
        else if (auto* p = qobject_cast<vb::PictureBox*>(w))
            p->setBackColor(s.BackColor);
        else if (auto* f = qobject_cast<vb::FormSurface*>(w))
            f->setBackColor(s.BackColor);
    }
    if (s.BorderColor != was.BorderColor && kind == ControlKind::Shape)
        as<vb::Shape>(c)->setBorderColor(s.BorderColor);
    if (s.Visible != was.Visible && kind != ControlKind::Form) w->setVisible(s.Visible);
    if (s.Enabled != was.Enabled) w->setEnabled(s.Enabled);
    if (s.Value != was.Value && kind == ControlKind::Check) check(c)->setValue(s.Value);
    was = s;
}

}  // namespace talomir::ui
