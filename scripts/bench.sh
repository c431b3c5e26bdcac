#!/usr/bin/env bash
# Builds the benchmarks into build-bench and measures the program's performance
# figures, each beside the floor it is compared with in the same run, then prints a
# table. Not part of the test run: every figure carries the machine's load.
#
#   VOLTANDER_BENCH_RUNS          start-up runs per binary (default 15)
#   VOLTANDER_BENCH_IDLE_SECONDS  length of the idle sample (default 60)
#   VOLTANDER_BENCH_SERVICE_SECONDS  length of the service's CPU sample (default 600);
#                                 the window's idle sample runs inside it
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"
build="$root/build-bench"
runs=${VOLTANDER_BENCH_RUNS:-15}
idle_seconds=${VOLTANDER_BENCH_IDLE_SECONDS:-60}
service_seconds=${VOLTANDER_BENCH_SERVICE_SECONDS:-600}
if ((service_seconds < idle_seconds)); then service_seconds=$idle_seconds; fi

bash "$root/scripts/deps.sh"
# The start-up figure needs an X server and the probe's X library.
install_missing xvfb libxcb1-dev

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLTANDER_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" \
  --target voltander voltander-sim core_bench qt_bench history_bench search_bench mqtt_bench bare_window map_probe \
  longrun_bench voltanderd bare_service service_memory_bench service_life_bench >/dev/null

work=$(mktemp -d /tmp/voltander-bench-XXXXXX)
started=()
cleanup() {
  local p
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${started[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

median() { sort -n "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# --- 1. Start-up: fork to the first window mapped on an X server -------------------
echo "Start-up: $runs runs each under Xvfb..." >&2
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/display" 2>"$work/xvfb.log" &
started+=($!)
wait_for 100 test -s "$work/display"
mkdir -p "$work/startup-config"
probe() {
  DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/startup-config" \
    "$build/bench/map_probe" "$@" 2>>"$work/startup.log" || {
    cat "$work/startup.log" "$work/xvfb.log" >&2
    return 1
  }
}
# One unmeasured run each, so every measured run finds the files in the page cache.
probe "$build/bench/bare_window" >/dev/null
probe "$build/bench/bare_window" --text >/dev/null
probe "$build/voltander" >/dev/null
# Interleaved, so the three share whatever else the machine is doing.
for ((i = 0; i < runs; i++)); do
  probe "$build/bench/bare_window" >>"$work/start-bare"
  probe "$build/bench/bare_window" --text >>"$work/start-text"
  probe "$build/voltander" >>"$work/start-program"
done
start_bare=$(median "$work/start-bare")
start_text=$(median "$work/start-text")
start_program=$(median "$work/start-program")

# --- 2 and 3. In-process benchmarks -------------------------------------------------
echo "Benchmarks: core and real widgets (offscreen)..." >&2
bench_args=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true
  --benchmark_format=csv)
"$build/bench/core_bench" "${bench_args[@]}" >"$work/core.csv" 2>"$work/core.log"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/startup-config" \
  "$build/bench/qt_bench" "${bench_args[@]}" >"$work/qt.csv" 2>"$work/qt.log"
QT_QPA_PLATFORM=offscreen "$build/bench/history_bench" "${bench_args[@]}" \
  >"$work/history.csv" 2>"$work/history.log"
echo "Long run: 90 days of replies through the recorder and the chart (about 300 MB of files)..." >&2
VOLTANDER_KEEP_30_DAYS="$work/30-days" QT_QPA_PLATFORM=offscreen \
  "$build/bench/longrun_bench" 90 >"$work/longrun.md" 2>"$work/longrun.log"
QT_QPA_PLATFORM=offscreen "$build/bench/longrun_bench" --open "$(ls "$work"/30-days/*.csv | head -n 1)" \
  >"$work/open30.md" 2>>"$work/longrun.log"
rm -rf "$work/30-days"
echo "Benchmarks: the controller search over 32 simulators..." >&2
QT_QPA_PLATFORM=offscreen "$build/bench/search_bench" "${bench_args[@]}" \
  >"$work/search.csv" 2>"$work/search.log"
echo "The service: its memory over 100,000 replies, its start and its stop..." >&2
"$build/bench/service_memory_bench" 100000 >"$work/service-memory.md" 2>"$work/service-memory.log"
"$build/bench/service_memory_bench" 100000 --no-publish >"$work/service-memory-off.md" \
  2>>"$work/service-memory.log"
"$build/bench/service_life_bench" "$runs" >"$work/service-life.md" 2>"$work/service-life.log"
echo "Benchmarks: publishing status replies to a local broker..." >&2
"$build/bench/mqtt_bench" "${bench_args[@]}" >"$work/mqtt.csv" 2>"$work/mqtt.log"
# The median wall time of a benchmark in microseconds, or "failed".
bench_us() {
  awk -F, -v name="\"$2_median\"" '
    $1 == name {
      t = $3
      if ($5 == "ns") t /= 1000
      else if ($5 == "ms") t *= 1000
      else if ($5 == "s") t *= 1000000
      printf "%.1f", t; found = 1
    }
    END { if (!found) printf "failed" }' "$1"
}
core_tables=$(bench_us "$work/core.csv" BM_BuildStepTables)
core_reply=$(bench_us "$work/core.csv" BM_StatusReply)
recompute=$(bench_us "$work/qt.csv" BM_CalibrationRecompute)
recompute_painted=$(bench_us "$work/qt.csv" BM_CalibrationRecomputePainted)
reply=$(bench_us "$work/qt.csv" BM_StatusReplyToDisplay)
reply_painted=$(bench_us "$work/qt.csv" BM_StatusReplyToDisplayPainted)
history_week=$(bench_us "$work/history.csv" BM_HistoryWeekOpenAndDraw)
history_bare=$(bench_us "$work/history.csv" BM_BareChart1000Points)
search8=$(bench_us "$work/search.csv" BM_SearchProbe/8/iterations:10/real_time)
search32=$(bench_us "$work/search.csv" BM_SearchProbe/32/iterations:10/real_time)
mqtt_reply=$(bench_us "$work/mqtt.csv" BM_StatusReplyPublished)
mqtt_unchanged=$(bench_us "$work/mqtt.csv" BM_StatusReplyUnchanged)

# --- 4. Idle polling of the simulator: CPU and memory ------------------------------
echo "Idle: polling the simulator for $idle_seconds s, the service for $service_seconds s..." >&2
config="$work/idle-config"
mkdir -p "$config/Voltander"
printf '[Setup]\nPortok=" 0"\n' >"$config/Voltander/Voltander.conf"
XDG_CONFIG_HOME="$config" "$build/voltander-sim" --port 1 --log "$work/sim.log" \
  >"$work/sim.out" 2>&1 &
sim=$!
started+=("$sim")
wait_for 100 test -L "$config/Voltander/ports/COM1"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$config" "$build/voltander" >"$work/program.out" 2>&1 &
program=$!
started+=("$program")
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/startup-config" \
  "$build/bench/bare_window" --stay >"$work/bare.out" 2>&1 &
bare=$!
started+=("$bare")

# A second program, publishing every reply to a broker of its own, for the memory
# that the publishing costs.
mqtt_config="$work/mqtt-config"
mkdir -p "$mqtt_config/Voltander"
mosquitto_bin=$(command -v mosquitto || echo /usr/sbin/mosquitto)
for ((try = 0; try < 20; try++)); do
  broker_port=$(shuf -i 20000-60000 -n 1)
  printf 'user root\npersistence false\nlistener %s 127.0.0.1\nallow_anonymous true\n' \
    "$broker_port" >"$work/mosquitto.conf"
  "$mosquitto_bin" -c "$work/mosquitto.conf" >"$work/broker.log" 2>&1 &
  broker=$!
  sleep 0.3
  if kill -0 "$broker" 2>/dev/null; then break; fi
done
started+=("$broker")
printf '[Setup]\nPortok=" 0"\n\n[Mqtt]\nEnabled=1\nHost=127.0.0.1\nPort=%s\n' "$broker_port" \
  >"$mqtt_config/Voltander/Voltander.conf"
XDG_CONFIG_HOME="$mqtt_config" "$build/voltander-sim" --port 1 >"$work/sim2.out" 2>&1 &
started+=($!)
wait_for 100 test -L "$mqtt_config/Voltander/ports/COM1"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$mqtt_config" "$build/voltander" \
  >"$work/program-mqtt.out" 2>&1 &
program_mqtt=$!
started+=("$program_mqtt")

# The service, polling a simulator of its own and publishing to the same broker, and
# its floor, a Qt Core program that does nothing; both sampled over $service_seconds.
service_dir="$work/service"
mkdir -p "$service_dir"
XDG_CONFIG_HOME="$service_dir" "$build/voltander-sim" --port 1 --log "$work/sim-service.log" \
  >"$work/sim-service.out" 2>"$work/sim-service.err" &
sim_service=$!
started+=("$sim_service")
wait_for 100 test -s "$work/sim-service.out"
printf '[Port]\nDevice=%s\n[Mqtt]\nEnabled=1\nHost=127.0.0.1\nPort=%s\nPrefix=bench\n[History]\nFolder=%s\n' \
  "$(head -n 1 "$work/sim-service.out")" "$broker_port" "$service_dir/history" \
  >"$service_dir/bench.conf"
"$build/voltanderd" --config "$service_dir/bench.conf" 2>"$work/service.log" &
service=$!
started+=("$service")
"$build/bench/bare_service" >"$work/bare-service.log" 2>&1 &
bare_service=$!
started+=("$bare_service")

# Status requests ("R", byte 82) as the simulator logged them.
polls() {
  local log=${1:-$work/sim.log}
  if [ -f "$log" ]; then awk '$1 !~ /^#/ && $3 == 82 {n++} END {print n + 0}' "$log"; else echo 0; fi
}
# Polling runs once the handshake is over: the stored parameters were asked for ("O",
# byte 79) and the status requests go on.
polling() { [ "$(polls "$@")" -ge 2 ] && grep -q " 83 79 " "${1:-$work/sim.log}"; }
wait_for 200 polling
wait_for 200 polling "$work/sim-service.log"
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
status_kb() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/status"; }
rss_service_start=$(status_kb "$service" VmRSS)

t0=$(date +%s%N)
p0=$(ticks "$program")
b0=$(ticks "$bare")
s0=$(ticks "$sim")
n0=$(polls)
v0=$(ticks "$service")
q0=$(ticks "$bare_service")
m0=$(ticks "$sim_service")
k0=$(polls "$work/sim-service.log")
sleep "$idle_seconds"
p1=$(ticks "$program")
b1=$(ticks "$bare")
s1=$(ticks "$sim")
n1=$(polls)
t1=$(date +%s%N)
hz=$(getconf CLK_TCK)
cpu_percent() { awk -v d="$1" -v hz="$hz" -v ns="$((t1 - t0))" 'BEGIN {printf "%.2f", d / hz / (ns / 1e9) * 100}'; }
idle_program=$(cpu_percent $((p1 - p0)))
idle_bare=$(cpu_percent $((b1 - b0)))
idle_sim=$(cpu_percent $((s1 - s0)))
idle_polls=$((n1 - n0))
# The rest of the service's sample.
sleep "$(awk -v s="$service_seconds" -v ns="$(($(date +%s%N) - t0))" 'BEGIN {r = s - ns / 1e9; print (r > 0) ? r : 0}')"
v1=$(ticks "$service")
q1=$(ticks "$bare_service")
m1=$(ticks "$sim_service")
k1=$(polls "$work/sim-service.log")
t2=$(date +%s%N)
cpu_percent_over() { awk -v d="$1" -v hz="$hz" -v ns="$2" 'BEGIN {printf "%.3f", d / hz / (ns / 1e9) * 100}'; }
service_cpu=$(cpu_percent_over $((v1 - v0)) $((t2 - t0)))
service_bare_cpu=$(cpu_percent_over $((q1 - q0)) $((t2 - t0)))
service_sim_cpu=$(cpu_percent_over $((m1 - m0)) $((t2 - t0)))
service_ticks=$((v1 - v0))
service_polls=$((k1 - k0))
service_span=$(awk -v ns="$((t2 - t0))" 'BEGIN {printf "%.0f", ns / 1e9}')
rss_service=$(status_kb "$service" VmRSS)
hwm_service=$(status_kb "$service" VmHWM)
rss_bare_service=$(status_kb "$bare_service" VmRSS)
service_retained=$(mosquitto_sub -h 127.0.0.1 -p "$broker_port" -t 'bench/bench/status' --retained-only -W 2 -C 1 2>/dev/null || true)
rss_program=$(status_kb "$program" VmRSS)
hwm_program=$(status_kb "$program" VmHWM)
rss_mqtt=$(status_kb "$program_mqtt" VmRSS)
hwm_mqtt=$(status_kb "$program_mqtt" VmHWM)
mqtt_retained=$(mosquitto_sub -h 127.0.0.1 -p "$broker_port" -t '+/+/comm1/status' --retained-only -W 2 -C 1 2>/dev/null || true)
rss_bare=$(status_kb "$bare" VmRSS)
hwm_bare=$(status_kb "$bare" VmHWM)

# --- The table ------------------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else printf "n/a"}'; }
ms() { awk -v us="$1" 'BEGIN {printf "%.1f ms", us / 1000}'; }
us() { if [ "$1" = failed ]; then echo failed; else echo "$1 us"; fi; }
mb() { awk -v kb="$1" 'BEGIN {printf "%.1f MB", kb / 1024}'; }
row() { printf '| %s | %s | %s |\n' "$1" "$2" "$3"; }

echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
row "Figure" "Measured" "Floor / target"
row "---" "---" "---"
row "Start-up to the main window mapped (Xvfb, median of $runs)" "$(ms "$start_program")" \
  "bare window $(ms "$start_bare"), ratio $(ratio "$start_program" "$start_bare") (target <= 1.5); bare window with one text line $(ms "$start_text"), ratio $(ratio "$start_program" "$start_text")"
row "Calibration recompute, real widgets (offscreen)" "$(us "$recompute")" \
  "core BuildStepTables $(us "$core_tables"); target < 5 ms"
row "... including the repaint it causes" "$(us "$recompute_painted")" "target < 5 ms"
row "One status reply to the updated display, real widgets" "$(us "$reply")" \
  "core reply handling $(us "$core_reply"); target < 1 ms (the frame takes 10.4 ms on the line)"
row "... including the repaint it causes" "$(us "$reply_painted")" "target < 1 ms"
row "CPU while polling the simulator ($idle_seconds s, $idle_polls polls)" \
  "$idle_program % of a core" "bare window $idle_bare %; target < 1 % (simulator $idle_sim %)"
row "Charge history: a week of records (302,400) read and drawn (offscreen)" \
  "$(ms "$history_week")" "bare chart of 1,000 points $(ms "$history_bare"); target < 200 ms"
row "Controller search: 8 answering simulators listed and probed (offscreen)" \
  "$(ms "$search8")" "32 candidates, 24 of them silent (the whole answer window) $(ms "$search32"); target < 1 s"
row "Resident memory VmRSS / VmHWM (offscreen)" "$(mb "$rss_program") / $(mb "$hwm_program")" \
  "bare window $(mb "$rss_bare") / $(mb "$hwm_bare")"
row "Publishing to a broker: work per status reply on the window's thread" "$(us "$mqtt_reply")" \
  "the same reply unchanged, not published, $(us "$mqtt_unchanged"); target < 50 us"
row "Resident memory with publishing on, VmRSS / VmHWM" "$(mb "$rss_mqtt") / $(mb "$hwm_mqtt")" \
  "$(awk -v a="$rss_mqtt" -v b="$rss_program" 'BEGIN {printf "%+.1f MB", (a - b) / 1024}') against publishing off; target at most +2 MB$([ -n "$mqtt_retained" ] || echo '; NO STATUS REACHED THE BROKER')"
# The service's in-process memory table: VmRSS (column 3) or the chart store (column
# 6) at a number of replies.
memory_at() {
  awk -F'|' -v k="$2" -v c="$3" '$2 ~ /^ *[0-9]+ *$/ && $2 + 0 == k {gsub(/ MB|^ +| +$/, "", $c); print $c}' "$1"
}
memory_row() {
  local f=$1
  echo "$(memory_at "$f" 0 3) / $(memory_at "$f" 10000 3) / $(memory_at "$f" 50000 3) / $(memory_at "$f" 100000 3) MB"
}
row "The service's core in-process (Unattended as voltanderd composes it, a port answering at once), 100,000 replies 2 s apart on a fake clock into real session files, publishing to a local broker: VmRSS at start / 10,000 / 50,000 / 100,000" \
  "$(memory_row "$work/service-memory.md")" \
  "publishing off $(memory_row "$work/service-memory-off.md"); of it the recorder's chart store $(memory_at "$work/service-memory.md" 100000 6) MB at 100,000; the bench process before the service $(awk -F'|' '/before the service/ {gsub(/ MB|^ +| +$/, "", $3); print $3}' "$work/service-memory.md") MB; target at most 12 MB, flat"
row "voltanderd polling the simulator and publishing, VmRSS after the handshake / after $service_span s (VmHWM)" \
  "$(mb "$rss_service_start") / $(mb "$rss_service") ($(mb "$hwm_service"))" \
  "bare Qt Core program $(mb "$rss_bare_service"); target at most 12 MB"
row "voltanderd: CPU while polling the simulator and publishing ($service_span s, $service_polls polls, $service_ticks ticks)" \
  "$service_cpu % of a core" \
  "bare Qt Core program $service_bare_cpu %; target under 0.05 % (simulator $service_sim_cpu %)$([ -n "$service_retained" ] || echo '; NO STATUS REACHED THE BROKER')"
cat "$work/service-life.md"
echo
echo "The service's core in-process over 100,000 replies, publishing on and off:"
echo
cat "$work/service-memory.md"
echo
cat "$work/service-memory-off.md"
echo
echo "Charge history over a long run (offscreen, chart window 1250 by 500):"
echo
cat "$work/longrun.md"
echo
echo "A 30-day session file (1,296,000 records):"
echo
cat "$work/open30.md"
