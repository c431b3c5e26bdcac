// The main window's controls laid out as designed, in twips, each mirroring its model
// on the Folap form; apart from the window so the layout reads as one table.
#pragma once

#include "qt/widgets/ControlMirror.h"
#include "qt/widgets/Twips.h"

class QWidget;

namespace voltander {

class Folap;

// Places every control on surface and mirrors it with mirror; window owns the
// shared list style and gives the background the loop warning stays opaque with.
void BuildFolapControls(Folap& form, QWidget& window, QWidget& surface, const TwipScale& scale,
                        ControlMirror& mirror);

}  // namespace voltander
