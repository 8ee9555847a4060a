# Shared by scripts/run and scripts/test: the project's root and the build
# helpers. Sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

# configure DIR [cmake options...]
configure() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
}

# build DIR [targets...]: every target when none is named.
build() {
  local dir=$1
  shift
  if [ $# -gt 0 ]; then
    cmake --build "$dir" -j "$jobs" --target "$@"
  else
    cmake --build "$dir" -j "$jobs"
  fi
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
  configure "$@"
  build "$1"
}
