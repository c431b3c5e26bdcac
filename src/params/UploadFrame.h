// The payload of the parameter upload ("I"): the code bytes of the selected steps and
// the time settings, in the order the controller stores them, which is not the order
// of the lists on the window.
#pragma once

#include "common/Kozos.h"
#include "params/ParameterSet.h"
#include "protocol/Frame.h"

namespace voltander {

// Umin code, Umax code, Igyors code, Inormal code, Tkarbantarto + 1, Thiszt + 1,
// Minta + 1. A list without a selection sends the row before its first entry:
// 177 for a threshold, 160 for a current, 0 for a time.
Payload UploadPayload(const ParameterSet& set, const VoltageTable& voltages,
                      const CurrentTable& currents);

}  // namespace voltander
