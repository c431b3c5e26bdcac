#include "app/Folap.h"

namespace voltander {

void Folap::AssistantCheck() {}

}  // namespace voltander
