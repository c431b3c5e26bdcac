#include "app/Folap.h"

namespace voltander {

void Folap::ParameterUpload() {}

}  // namespace voltander
