# Sourced by the scripts: installs the Debian packages a fresh machine lacks.
#   ensure_packages cmake g++ ...
ensure_packages() {
  local missing=() p
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  ((${#missing[@]})) || return 0
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    return 1
  fi
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# What building lug needs.
build_packages=(cmake g++ make pkg-config libsqlite3-dev libpq-dev)

# What the demo script needs besides: sqlite3 counts the rows of the staging tables.
demo_packages=(sqlite3)
