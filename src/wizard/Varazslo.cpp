#include "app/Folap.h"

namespace voltander {

void Folap::Varazslo_Click() {}

}  // namespace voltander
