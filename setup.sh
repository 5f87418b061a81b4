#!/usr/bin/env bash
# Installs what Lorvane needs on Debian 12, builds it, then runs it or its tests.
#   ./setup.sh run [ARGUMENTS...]   build (release) and start lorvane with the arguments given
#   ./setup.sh test                 build (warnings as errors) and run every test, then build with
#                                   the sanitizers and run every test again
set -euo pipefail
# Paths given to `run` stay relative to the folder the command was typed in.
root=$(cd "$(dirname "$0")" && pwd)

# Build and test dependencies, by Debian package name.
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-svg-dev libqt6svg6
  qt6-qpa-plugins qt6-gtk-platformtheme libgl-dev libjpeg62-turbo-dev
  libjpeg-turbo-progs libmagick++-6.q16-dev libemf2svg-dev emf2svg imagemagick
  xdg-utils desktop-file-utils shared-mime-info poppler-utils
  adwaita-icon-theme libseccomp-dev
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)
mode=${1:-run}
[ $# -gt 0 ] && shift

case "$mode" in
  run)
    install_missing
    (cd "$root" && cmake --preset release >/dev/null &&
      cmake --build --preset release -j "$jobs" --target lorvane)
    exec "$root/build/release/bin/lorvane" "$@"
    ;;
  test)
    install_missing
    cd "$root"
    cmake --preset ci
    cmake --build --preset ci -j "$jobs"
    QT_QPA_PLATFORM=offscreen ctest --preset ci -j "$jobs"
    # Then every suite again under AddressSanitizer and UndefinedBehaviorSanitizer, leaks
    # included; only other libraries' leaks are suppressed. --fresh: nothing configured earlier is
    # trusted.
    cmake --preset asan --fresh
    cmake --build --preset asan -j "$jobs"
    QT_QPA_PLATFORM=offscreen \
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      LSAN_OPTIONS="suppressions=$root/.ci/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --preset asan -j "$jobs"
    ;;
  *)
    echo "usage: $0 run [ARGUMENTS...] | $0 test" >&2
    exit 2
    ;;
esac
