// The layer over the window toolkit: units and colours, fonts, controls, drawing surfaces,
// timers, keys, and the services of the process.
#pragma once

#include "ui/toolkit/controlarray.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/keypreview.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/surface.h"
#include "ui/toolkit/timer.h"
#include "ui/toolkit/units.h"
