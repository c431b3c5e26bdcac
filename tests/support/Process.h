// Starting and stopping the real binaries from tests: fork and exec with a chosen
// environment, waiting with a deadline, and a SIGTERM that falls back to SIGKILL,
// so a hanging child fails its test instead of hanging the whole run.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace voltander::test {

using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// Runs argv[0] with the test's environment plus overrides (same name: replaced).
// stdoutFd and stderrFd become the child's; -1 leaves the test's own. Throws
// std::runtime_error when the child cannot be started.
pid_t SpawnProcess(const std::vector<std::string>& argv, const EnvOverrides& env, int stdoutFd = -1,
                   int stderrFd = -1);

// The child's wait status once it has ended, or nothing if it still runs after
// timeoutMs. A child is reaped only once; later calls return nothing.
std::optional<int> WaitForExit(pid_t pid, int timeoutMs);

// SIGTERM, then up to graceMs for the child to end, then SIGKILL. The wait status.
int TerminateProcess(pid_t pid, int graceMs);

// Seconds of processor time the child has used so far (user plus system), from
// /proc; nothing when it cannot be read.
std::optional<double> CpuSeconds(pid_t pid);

// Whole text of a file, empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace voltander::test
