// The calibration window's widgets: they mirror an Oszto form and forward the
// user's actions to its handlers.
#pragma once

class QWidget;

namespace voltander {

class Oszto;

// Opens the calibration window modally over parent and returns when it has closed.
// The form's unload runs exactly once, whichever way the window was closed.
void ShowOsztoModal(Oszto& form, QWidget* parent);

}  // namespace voltander
