#include "support/SimProcess.h"

namespace voltander::test {

SimProcess::SimProcess(std::vector<std::string>) {}
SimProcess::~SimProcess() { stop(); }
std::vector<LoggedFrame> SimProcess::frames() const { return {}; }
void SimProcess::stop() {}

}  // namespace voltander::test
