# Shared by scripts/run and scripts/test: the project's root and the build
# helper. Sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}
