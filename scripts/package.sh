#!/usr/bin/env bash
# Builds the Debian packages voltander and voltanderd for amd64 (natively) and for
# arm64 (cross-built with Debian's multiarch) into dist/, then checks them as Debian
# checks packages, installs the amd64 pair and runs it, and runs the arm64 pair under
# qemu. Each failing check stops the script with a line saying what failed.
#
# The tests ran before (scripts/test.sh), so the package builds leave them out. The
# script installs what it needs, only what is missing, with sudo when not root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"
work="$root/build-deb"
dist="$root/dist"
metainfo="$root/resources/io.github.voltander.Voltander.metainfo.xml"
desktop="$root/resources/voltander.desktop"
jobs=2

step() { echo "== package [$SECONDS s]: $*"; }
fail() {
  echo "package: FAILED: $*" >&2
  exit 1
}
started=()
cleanup() {
  local p
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${started[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

[ "$(dpkg --print-architecture)" = amd64 ] ||
  fail "builds on amd64 only (this machine is $(dpkg --print-architecture))"

# --- One version everywhere ----------------------------------------------------------
version=$(sed -nE 's/^project\(Voltander VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
changelog=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
[ "$changelog" = "$version" ] ||
  fail "debian/changelog is at $changelog but CMakeLists.txt at $version"
release=$(sed -nE 's/.*<release version="([^"]+)".*/\1/p' "$metainfo" | head -n 1)
[ "$release" = "$version" ] ||
  fail "the metainfo's newest release is ${release:-missing} but CMakeLists.txt is at $version"
step "version $version"

# --- What the builds and the checks need ---------------------------------------------
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  step "adding the arm64 architecture"
  "${sudo_cmd[@]}" dpkg --add-architecture arm64 || fail "dpkg --add-architecture arm64"
  apt_update || fail "apt-get update"
fi
tools=(dpkg-dev debhelper crossbuild-essential-arm64 lintian appstream desktop-file-utils
  systemd qemu-user-static mosquitto mosquitto-clients binutils)
install_missing "${tools[@]}" || fail "installing the packaging tools"
# The build dependencies come from debian/control, for the build machine and, for the
# cross build, the :arm64 libraries.
for arch in amd64 arm64; do
  if ! (cd "$root" && dpkg-checkbuilddeps -a "$arch" -P nocheck) >/dev/null 2>&1; then
    step "installing the build dependencies for $arch"
    apt_update || fail "apt-get update"
    apt_get build-dep -y -qq --no-install-recommends -a "$arch" -P nocheck "$root" >/dev/null ||
      fail "apt-get build-dep for $arch"
    (cd "$root" && dpkg-checkbuilddeps -a "$arch" -P nocheck) ||
      fail "the build dependencies for $arch are still missing"
  fi
done

# --- Files that go in as they are ------------------------------------------------------
step "appstreamcli validate, desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate on $metainfo"
desktop-file-validate "$desktop" || fail "desktop-file-validate on $desktop"

# --- The builds ------------------------------------------------------------------------
# Each architecture builds in a copy of the tree, so the checkout gets no build
# leftovers and the packages land beside the copy, not beside the checkout.
copy_tree() {
  if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
      tar --null -T - -cf -) | tar -xf - -C "$1"
  else
    tar -C "$root" --exclude=./.git --exclude='./build*' --exclude=./dist --exclude='./obj-*' \
      -cf - . | tar -xf - -C "$1"
  fi
}
mkdir -p "$dist"
rm -f "$dist"/voltander_*.deb "$dist"/voltanderd_*.deb
for arch in amd64 arm64; do
  step "building for $arch"
  rm -rf "${work:?}/$arch"
  src="$work/$arch/voltander-$version"
  mkdir -p "$src"
  copy_tree "$src"
  if ! (cd "$src" && DEB_BUILD_OPTIONS="nocheck noddebs parallel=$jobs" \
    dpkg-buildpackage -a "$arch" -Pnocheck -b -us -uc) >"$work/$arch.log" 2>&1; then
    tail -n 40 "$work/$arch.log"
    fail "the $arch package build (log: $work/$arch.log)"
  fi
  for p in voltander voltanderd; do
    cp "$work/$arch/${p}_${version}_$arch.deb" "$dist/" ||
      fail "the $arch build made no ${p}_${version}_$arch.deb"
  done
done
debs=("$dist"/voltander_"$version"_amd64.deb "$dist"/voltanderd_"$version"_amd64.deb
  "$dist"/voltander_"$version"_arm64.deb "$dist"/voltanderd_"$version"_arm64.deb)

# --- Checked as Debian checks packages -------------------------------------------------
step "lintian"
lintian --fail-on error,warning "${debs[@]}" || fail "lintian found errors or warnings"
# The service must not bring the window's libraries onto a small headless machine.
for arch in amd64 arm64; do
  depends=$(dpkg-deb -f "$dist/voltanderd_${version}_$arch.deb" Depends)
  if grep -Eo 'libqt6(gui|widgets|charts|opengl)[^ ,]*' <<<"$depends"; then
    fail "voltanderd for $arch depends on Qt Gui, Widgets or Charts: $depends"
  fi
done

# --- amd64: installed and run ----------------------------------------------------------
step "installing the amd64 packages"
apt_get install -y -qq --reinstall "$dist/voltander_${version}_amd64.deb" \
  "$dist/voltanderd_${version}_amd64.deb" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "apt-get install of the amd64 packages"; }
for f in /usr/bin/voltander /usr/bin/voltander-sim /usr/share/applications/voltander.desktop \
  /usr/share/icons/hicolor/scalable/apps/voltander.svg \
  /usr/share/metainfo/io.github.voltander.Voltander.metainfo.xml \
  /usr/share/man/man1/voltander.1.gz /usr/share/man/man1/voltander-sim.1.gz; do
  dpkg -L voltander | grep -qx "$f" || fail "dpkg -L voltander does not list $f"
done
unit=/lib/systemd/system/voltanderd@.service
for f in /usr/bin/voltanderd "$unit" /usr/lib/sysusers.d/voltanderd.conf \
  /usr/share/doc/voltanderd/examples/voltanderd.conf /usr/share/man/man8/voltanderd.8.gz; do
  dpkg -L voltanderd | grep -qx "$f" || fail "dpkg -L voltanderd does not list $f"
done
getent passwd _voltander >/dev/null || fail "installing voltanderd made no user _voltander"
if [ -n "$(find /etc/systemd/system -name 'voltanderd@*' 2>/dev/null)" ]; then
  fail "installing voltanderd enabled an instance: $(find /etc/systemd/system -name 'voltanderd@*')"
fi
said=$(/usr/bin/voltanderd --version) || fail "voltanderd --version exited with $?"
[[ "$said" == *"$version"* ]] || fail "voltanderd --version printed '$said', not $version"
echo "   voltanderd --version: $said"
# A template is verified through an instance of it; verify checks that ExecStart's
# binary is there, so this checks the installed pair.
verify_log="$work/verify.log"
if ! systemd-analyze verify --man=no "voltanderd@check.service" >"$verify_log" 2>&1 ||
  [ -s "$verify_log" ]; then
  cat "$verify_log"
  fail "systemd-analyze verify on $unit"
fi
echo "   systemd-analyze verify: clean"

run="$work/run-amd64"
rm -rf "$run"
mkdir -p "$run/config/Voltander" "$run/data"
mkdir -m 700 "$run/runtime"
printf '[Setup]\nPortok=" 0"\n' >"$run/config/Voltander/Voltander.conf"
XDG_CONFIG_HOME="$run/config" /usr/bin/voltander-sim --port 1 --log "$run/sim.log" \
  >"$run/sim.out" 2>&1 &
started+=($!)
wait_for 100 test -L "$run/config/Voltander/ports/COM1" ||
  fail "the installed voltander-sim did not register as Comm 1 ($(cat "$run/sim.out"))"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data" \
  XDG_RUNTIME_DIR="$run/runtime" /usr/bin/voltander >"$run/voltander.out" 2>&1 &
started+=($!)
# Status requests ("R", byte 82) and the stored-parameter request of the handshake
# ("O", byte 79) as the simulator logged them.
polls() { awk '$1 !~ /^#/ && $3 == 82 {n++} END {print n + 0}' "$1" 2>/dev/null || echo 0; }
polled() { [ "$(polls "$1")" -ge 2 ] && grep -q " 83 79 " "$1"; }
wait_for 300 polled "$run/sim.log" || {
  cat "$run/voltander.out"
  fail "the installed voltander did not poll the installed voltander-sim"
}
echo "   voltander (offscreen) polled voltander-sim: $(polls "$run/sim.log") status requests"
cleanup
started=()

# --- arm64: the unpacked packages under qemu -------------------------------------------
step "running the arm64 packages under qemu"
arm="$work/run-arm64"
rm -rf "$arm"
mkdir -p "$arm/root" "$arm/history"
for p in voltander voltanderd; do dpkg-deb -x "$dist/${p}_${version}_arm64.deb" "$arm/root"; done
for b in voltanderd voltander-sim voltander; do
  readelf -h "$arm/root/usr/bin/$b" | grep -q 'Machine:.*AArch64' || fail "$b in the arm64 package is no arm64 program"
done
# The loader, libc and every library come from the :arm64 packages installed for the
# cross build (/lib/ld-linux-aarch64.so.1, /usr/lib/aarch64-linux-gnu). No
# QEMU_LD_PREFIX=/usr/aarch64-linux-gnu: that folder's loader is the cross toolchain's
# own glibc build, which then runs with the newer libc6:arm64, and the first thread
# the service starts never comes up.
unset QEMU_LD_PREFIX
qemu=(qemu-aarch64-static)
said=$("${qemu[@]}" "$arm/root/usr/bin/voltanderd" --version) ||
  fail "the arm64 voltanderd --version exited with $?"
[[ "$said" == *"$version"* ]] || fail "the arm64 voltanderd --version printed '$said', not $version"
echo "   arm64 voltanderd --version: $said"

mosquitto_bin=$(command -v mosquitto || echo /usr/sbin/mosquitto)
broker=
for ((try = 0; try < 20; try++)); do
  broker_port=$(shuf -i 20000-60000 -n 1)
  printf 'user root\npersistence false\nlistener %s 127.0.0.1\nallow_anonymous true\n' \
    "$broker_port" >"$arm/mosquitto.conf"
  "$mosquitto_bin" -c "$arm/mosquitto.conf" >"$arm/broker.log" 2>&1 &
  broker=$!
  if wait_for 30 grep -qs "Opening ipv4 listen socket on port $broker_port" "$arm/broker.log"; then
    break
  fi
  kill "$broker" 2>/dev/null || true
  wait "$broker" 2>/dev/null || true
  broker=
done
[ -n "$broker" ] || fail "no mosquitto could start on 127.0.0.1 ($(cat "$arm/broker.log"))"
started+=("$broker")

"${qemu[@]}" "$arm/root/usr/bin/voltander-sim" --log "$arm/sim.log" >"$arm/sim.out" 2>&1 &
started+=($!)
wait_for 300 grep -qs "^/dev/" "$arm/sim.out" ||
  fail "the arm64 voltander-sim gave no device ($(cat "$arm/sim.out"))"
device=$(head -n 1 "$arm/sim.out")
(
  umask 077
  printf '[Port]\nDevice=%s\nName=pi\n\n[Mqtt]\nEnabled=1\nHost=127.0.0.1\nPort=%s\nPrefix=voltander/ci\n\n[History]\nFolder=%s\n' \
    "$device" "$broker_port" "$arm/history" >"$arm/pi.conf"
)
XDG_DATA_HOME="$arm/data" "${qemu[@]}" "$arm/root/usr/bin/voltanderd" --config "$arm/pi.conf" \
  >"$arm/voltanderd.out" 2>&1 &
service=$!
started+=("$service")
topic=voltander/ci/pi/status
retained() {
  status=$(mosquitto_sub -h 127.0.0.1 -p "$broker_port" -t "$topic" --retained-only -C 1 -W 1 \
    2>/dev/null) && [ -n "$status" ]
}
status=
deadline=$((SECONDS + 60))
until retained; do
  if ((SECONDS >= deadline)) || ! kill -0 "$service" 2>/dev/null; then
    kill -0 "$service" 2>/dev/null || echo "package: the arm64 voltanderd exited" >&2
    cat "$arm/voltanderd.out"
    fail "no retained $topic from the arm64 voltanderd within 60 s"
  fi
  sleep 0.2
done
[[ "$status" == *'"duty":'* ]] || fail "the retained $topic holds no duty: $status"
wait_for 300 polled "$arm/sim.log" || fail "the arm64 voltander-sim logged no handshake and polls"
echo "   arm64 voltander-sim on $device: $(polls "$arm/sim.log") status requests"
echo "   arm64 voltanderd published, retained $topic: $status"
cleanup
started=()

step "done: the packages in dist/"
for d in "${debs[@]}"; do
  printf '   %-34s %6s KiB\n' "$(basename "$d")" "$(($(stat -c %s "$d") / 1024))"
done
