#include "app/Folap.h"

namespace voltander {

void Folap::ParseReply() {}
void Folap::RequestVersion() {}

}  // namespace voltander
