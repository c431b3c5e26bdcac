# Shell helpers the scripts share: installing the Debian packages that are missing,
# and waiting for something to appear. Sourced, not run.

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# apt-get with sudo when not root. sudo drops the caller's environment, so the
# frontend setting goes through env; another apt run holding the lock is waited for.
apt_get() {
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# One update per run, however many installs follow it.
apt_updated=
apt_update() {
  if [ -z "$apt_updated" ]; then
    apt_get update -qq || return 1
    apt_updated=1
  fi
}

# Installs those of the named packages that are missing, so that a second run costs
# a dpkg query and nothing more.
install_missing() {
  local p
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  apt_update && apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local i tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  echo "gave up waiting for: $*" >&2
  return 1
}
