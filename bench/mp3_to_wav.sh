#!/usr/bin/env bash
# Times `audrel-cli convert --to wav` on a 60-second MP3 against `mpg123 -w` on
# the same file, alternating the two, each writing a new WAV file, and prints
# every time and the ratio of the best times; both WAV files must hold the
# same samples. When the build
# also has bench/bench_xaudio_decode, it then times the player library alone
# (no process start, no row building) the same way.
#
# Usage: bench/mp3_to_wav.sh [AUDREL_CLI | BUILD_DIR] [ROUNDS]
#   AUDREL_CLI  path of audrel-cli, or the build folder that holds it
#               (default: build/audrel-cli beside this script)
#   ROUNDS      timed rounds of each (default 7)
# Target: time ratio (audrel-cli / mpg123) at most 1.05.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/bench/timing.sh"
bench_start "${1:-}" "${2:-}" 7 sox lame mpg123

work=$(mktemp -d /tmp/audrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
sox -q -n -r 44100 -c 2 -b 16 "$work/src.wav" synth 60 sine 330 sine 1250 remix 1,2v0.1 2 gain -6
lame --quiet -b 192 "$work/src.wav" "$work/sixty.mp3"
printf '[General]\nSameFolder=1\n' > "$work/Options.ini"


# The data chunk of a WAV file, found by walking its chunks.
data_chunk() {
  python3 - "$1" << 'EOF'
import struct, sys
b = open(sys.argv[1], 'rb').read()
at = 12
while at + 8 <= len(b):
    tag, size = b[at:at + 4], struct.unpack('<I', b[at + 4:at + 8])[0]
    if tag == b'data':
        sys.stdout.buffer.write(b[at + 8:at + 8 + size])
        break
    at += 8 + size + (size & 1)
EOF
}

cat "$work/sixty.mp3" > /dev/null # warm the page cache for both
best_cli=
best_mpg=
printf '%-6s %14s %14s\n' round "audrel-cli ms" "mpg123 ms"
for round in $(seq "$rounds"); do
  # Both write a new file: replacing one makes ext4 start writing the new data
  # out at once (at the truncation for mpg123, at the rename for audrel-cli),
  # which times the disk rather than the decoder.
  rm -f "$work/mpg123.wav" "$work/sixty.wav"
  t_mpg=$(time_ns mpg123 -q -w "$work/mpg123.wav" "$work/sixty.mp3")
  t_cli=$(time_ns "$cli" convert --to wav --options "$work/Options.ini" "$work/sixty.mp3")
  awk -v r="$round" -v c="$t_cli" -v m="$t_mpg" 'BEGIN { printf "%-6s %14.1f %14.1f\n", r, c / 1e6, m / 1e6 }'
  [ -z "$best_cli" ] || [ "$t_cli" -lt "$best_cli" ] && best_cli=$t_cli
  [ -z "$best_mpg" ] || [ "$t_mpg" -lt "$best_mpg" ] && best_mpg=$t_mpg
done

if cmp -s <(data_chunk "$work/sixty.wav") <(data_chunk "$work/mpg123.wav"); then
  same=yes
else
  same=NO
fi
awk -v c="$best_cli" -v m="$best_mpg" -v same="$same" 'BEGIN {
  printf "best: audrel-cli %.1f ms, mpg123 -w %.1f ms\n", c / 1e6, m / 1e6
  printf "time ratio (audrel-cli / mpg123): %.3f  (target: at most 1.05)\n", c / m
  printf "samples identical: %s\n", same
}'

library=$(dirname "$cli")/bench/bench_xaudio_decode
if [ -x "$library" ]; then
  echo
  echo "player library alone:"
  "$library" "$work/sixty.mp3" "$rounds"
fi
[ "$same" = yes ]
