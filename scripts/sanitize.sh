#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs the
# unit, adapter and end-to-end tests in that build (all but the soak suites).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-asan"
bash "$root/scripts/build.sh" "$dir" -DVOLTANDER_SANITIZE=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The half-minute soak suites already ran in the normal build; here they would only
# multiply the run time.
(cd "$dir" && ctest --output-on-failure --timeout 600 -j2 -LE soak)
