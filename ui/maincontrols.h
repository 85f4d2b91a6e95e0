#pragma once
// The main window's controls, made from the control table: every widget found by its Ctl, with a
// checked cast to its kind, and shown as the window's state says.
#include <array>

#include "presentation/windowstate.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/surface.h"

namespace talomir::ui {

class MainControls {
public:
    // Makes every control on the window, placed, coloured and captioned as designed; their
    // help texts become their accessible descriptions.
    explicit MainControls(vb::FormSurface* window);

    QWidget* widget(Ctl c) const { return widgets_[std::size_t(c)]; }
    template <class T>
    T* as(Ctl c) const;

    vb::Label* label(Ctl c) const { return as<vb::Label>(c); }
    vb::CheckButton* check(Ctl c) const { return as<vb::CheckButton>(c); }
    vb::CommandButton* command(Ctl c) const { return as<vb::CommandButton>(c); }
    vb::PictureBox* picture(Ctl c) const { return as<vb::PictureBox>(c); }

    // Shows what changed of a control's state; every field the state has reaches its widget.
    void show(Ctl c, const ControlState& state);

private:
    std::array<QWidget*, kCtlCount> widgets_{};
    std::array<ControlState, kCtlCount> shown_{};  // what each widget shows now
};

template <class T>
T* MainControls::as(Ctl c) const {
    auto* w = qobject_cast<T*>(widget(c));
    if (!w) qFatal("control %s is not of the kind asked for", qPrintable(ctlName(c)));
    return w;
}

}  // namespace talomir::ui
