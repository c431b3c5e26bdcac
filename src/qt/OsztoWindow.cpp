#include "qt/OsztoWindow.h"

#include "calibration/Oszto.h"

namespace voltander {

void ShowOsztoModal(Oszto& form, QWidget*) {
  form.Form_Load();
  form.Form_Unload();
}

}  // namespace voltander
