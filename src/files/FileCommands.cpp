#include "app/Folap.h"

namespace voltander {

void Folap::FBe_Click() {}
void Folap::FMentes_Click() {}

}  // namespace voltander
