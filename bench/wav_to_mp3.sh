#!/usr/bin/env bash
# Times `audrel-cli convert --to mp3` on a 60-second stereo 44.1 kHz 16-bit WAV
# against `lame` at the same settings, alternating the two, each writing a new
# file, and prints every time and the ratio of the best times. Then measures
# the peak resident memory of audrel-cli encoding a 1 GB WAV.
#
# The settings are the program's defaults (an Options.ini without keys):
# 128 kbit/s CBR, plain stereo, the encoder's default quality, CRC on, the
# original bit off, no Info frame, no tag. For lame that is
#   -b 128 --cbr -m s -p -o -t --noreplaygain
# (lame would otherwise mark the stream original, write an Info frame and
# analyse the replay gain). Both files must come out byte for byte the same.
#
# Usage: bench/wav_to_mp3.sh [AUDREL_CLI] [ROUNDS]
#   AUDREL_CLI  path of audrel-cli (default: build/audrel-cli beside this script)
#   ROUNDS      timed rounds of each (default 5)
# Targets: time ratio (audrel-cli / lame) at most 1.05; peak memory below 40 MB.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/bench/timing.sh"
bench_start "${1:-}" "${2:-}" 5 sox lame /usr/bin/time

work=$(mktemp -d /tmp/audrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
src=$work/sixty.wav
lame_flags=(-b 128 --cbr -m s -p -o -t --noreplaygain)

# Music-like: three tones a fifth and an octave apart over pink noise.
sox -q -n -r 44100 -c 2 -b 16 "$src" synth 60 sine 220 sine 330 sine 440 pinknoise \
  remix 1,2v0.5,4v0.3 2,3v0.5,4v0.3 gain -n -3
printf '[General]\nSameFolder=1\n' > "$work/Options.ini"


cat "$src" > /dev/null # warm the page cache for both
best_cli=
best_lame=
printf '%-6s %14s %14s\n' round "audrel-cli ms" "lame ms"
for round in $(seq "$rounds"); do
  # Both write a new file (replacing one makes ext4 write the new data out at once).
  rm -f "$work/lame.mp3" "$work/sixty.mp3"
  t_lame=$(time_ns lame --quiet "${lame_flags[@]}" "$src" "$work/lame.mp3")
  t_cli=$(time_ns "$cli" convert --to mp3 --options "$work/Options.ini" "$src")
  awk -v r="$round" -v c="$t_cli" -v l="$t_lame" 'BEGIN { printf "%-6s %14.1f %14.1f\n", r, c / 1e6, l / 1e6 }'
  [ -z "$best_cli" ] || [ "$t_cli" -lt "$best_cli" ] && best_cli=$t_cli
  [ -z "$best_lame" ] || [ "$t_lame" -lt "$best_lame" ] && best_lame=$t_lame
done

if cmp -s "$work/sixty.mp3" "$work/lame.mp3"; then
  same=yes
else
  same="NO (the settings do not match)"
fi
awk -v c="$best_cli" -v l="$best_lame" -v same="$same" 'BEGIN {
  printf "best: audrel-cli %.1f ms, lame %.1f ms\n", c / 1e6, l / 1e6
  printf "time ratio (audrel-cli / lame): %.3f  (target: at most 1.05)\n", c / l
  printf "outputs identical: %s\n", same
}'

# Peak memory on a 1 GB WAV: the 60-second samples repeated behind one header.
big=$work/big.wav
make_big_wav "$src" "$big"
size=$(stat -c %s "$big")
start=$(date +%s%N)
/usr/bin/time -f '%M' -o "$work/peak" "$cli" convert --to mp3 --overwrite --options "$work/Options.ini" "$big" \
  > /dev/null 2>&1 || { echo "audrel-cli failed on the 1 GB WAV" >&2; exit 1; }
end=$(date +%s%N)
peak_kb=$(tail -n 1 "$work/peak")
mp3_size=$(stat -c %s "$work/big.mp3")
rm -f "$big" "$work/big.mp3"
awk -v size="$size" -v kb="$peak_kb" -v ns=$((end - start)) -v mp3="$mp3_size" 'BEGIN {
  printf "1 GB WAV: %d bytes (%.0f s of audio) -> %d bytes of MP3 in %.1f s\n", size, (size - 44) / 176400, mp3, ns / 1e9
  printf "peak resident memory of audrel-cli: %.1f MB  (target: below 40 MB)\n", kb / 1024
}'
