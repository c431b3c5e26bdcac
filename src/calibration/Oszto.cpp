#include "calibration/Oszto.h"

#include "app/Folap.h"

namespace voltander {

Oszto::Oszto(Folap& m) : main(m) {}

void Oszto::Form_Load() {}
void Oszto::Form_Unload() { closed_ = true; }
void Oszto::Vcc_Click() {}
void Oszto::Rhi_Click() {}
void Oszto::Rhi_KeyPress(int) {}
void Oszto::Poti1_Scroll() {}
void Oszto::CH1_Click() {}
void Oszto::Teszt_Click() {}
void Oszto::Kalib_Click() {}
void Oszto::Ufel_Click() {}
void Oszto::Megsem_Click() {}

}  // namespace voltander
