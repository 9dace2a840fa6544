#!/usr/bin/env bash
# Times decoding a 60-second MP3 to WAV through the player library against
# `mpg123 -w` on the same file, alternating, and prints the ratio of the best
# times. The program also checks that both WAV files hold the same samples.
#
# Usage: bench/mp3_to_wav.sh [BUILD_DIR] [ROUNDS]
#   BUILD_DIR  the build folder (default: build beside this script)
#   ROUNDS     timed rounds of each (default 7)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
rounds=${2:-7}
program=$build/bench/bench_xaudio_decode
[ -x "$program" ] || { echo "$program not found (build first or pass the build folder)" >&2; exit 2; }

work=$(mktemp -d /tmp/audrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
sox -q -n -r 44100 -c 2 -b 16 "$work/src.wav" synth 60 sine 330 sine 1250 remix 1,2v0.1 2 gain -6
lame --quiet -b 192 "$work/src.wav" "$work/sixty.mp3"
"$program" "$work/sixty.mp3" "$rounds"
