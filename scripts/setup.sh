# Shared by scripts/run and scripts/test: installs what is missing and builds.
# Sourced, not run.

AUDREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
AUDREL_BUILD="$AUDREL_ROOT/build"

# Debian 12 packages needed to build and run the program.
AUDREL_BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev libgl-dev
  libmp3lame-dev libsndfile1-dev libmpg123-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libtag1-dev
  librsvg2-bin
)
# Extra packages for the tests: the private sound server, the reference tools,
# the validators of the installed files, and an X server with a light window
# manager and a clicker for the GUI tests that click as a user does.
AUDREL_TEST_PACKAGES=(
  pulseaudio pulseaudio-utils
  lame mpg123 ffmpeg mediainfo sox
  desktop-file-utils appstream man-db groff-base
  xvfb openbox xdotool x11-utils
)

audrel_log() { printf '==> %s\n' "$*" >&2; }

audrel_install() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  audrel_log "installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

audrel_build() {
  if [ ! -f "$AUDREL_BUILD/build.ninja" ]; then
    audrel_log "configuring into build/"
    cmake -S "$AUDREL_ROOT" -B "$AUDREL_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
  audrel_log "building"
  cmake --build "$AUDREL_BUILD" -j "$(nproc)"
}
