// The battery assistant judges a parameter set by list positions alone, so its
// verdict is a pure function of the seven selections: the report text and whether
// the set may go to the controller.
#pragma once

#include <string>

#include "params/ParameterSet.h"

namespace voltander {

struct AssistantVerdict {
  // Heading, one line per rule that fired, an empty line and the verdict line;
  // lines joined by CR LF.
  std::string report;
  bool allowed = true;
};

AssistantVerdict AssessParameters(const ParameterSet& set);

}  // namespace voltander
