#include "app/Folap.h"

namespace voltander {

void Folap::Timer_Timer() {}
void Folap::ShowLinkLost() {}

}  // namespace voltander
