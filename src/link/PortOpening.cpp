#include "app/Folap.h"

namespace voltander {

void Folap::Portok_Click() {}
void Folap::ReopenPort() {}
void Folap::Comm1_OnComm(CommEvent) {}

}  // namespace voltander
