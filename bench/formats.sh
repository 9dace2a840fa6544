#!/usr/bin/env bash
# Times the Any Format conversions of `audrel-cli` against the tools people
# use for them, alternating the two, each writing a new file:
#   - a 60-second stereo 44.1 kHz 16-bit FLAC converted to FLAC, Ogg Vorbis,
#     Opus, AAC and ALAC against `ffmpeg -i SRC -c:a ENCODER SETTINGS DST`;
#   - the same FLAC to MP3 against `ffmpeg -i SRC -f wav - | lame SETTINGS - DST`;
#   - 20 such FLAC files (20 s each) to Opus with `--jobs $(nproc)` against
#     `xargs -P $(nproc) ffmpeg ...`;
# and prints every time and the ratio of the best times. Then measures the
# peak resident memory of audrel-cli converting a FLAC of more than 1 GB to Opus.
#
# The settings are the program's defaults (an Options.ini without keys):
# FLAC level 5, Vorbis quality 5, Opus 128 kbit/s VBR, AAC 192 kbit/s; MP3
# 128 kbit/s CBR, plain stereo, CRC on, the original bit off, with the Info
# frame, for lame: -b 128 --cbr -m s -p -o --noreplaygain.
#
# Usage: bench/formats.sh [AUDREL_CLI] [ROUNDS]
#   AUDREL_CLI  path of audrel-cli (default: build/audrel-cli beside this script)
#   ROUNDS      timed rounds of each (default 5; the batch takes ROUNDS - 2, at least 1)
# Targets: every ratio (audrel-cli / reference) at most 1.05; peak memory
# below 60 MB.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/bench/timing.sh"
bench_start "${1:-}" "${2:-}" 5 sox ffmpeg lame xargs /usr/bin/time

work=$(mktemp -d /tmp/audrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/cli" "$work/ref"
printf '[General]\nSameFolder=0\nDestFolder=%s\n' "$work/cli" > "$work/Options.ini"
ff() { ffmpeg -nostdin -v error -y "$@"; }

# Music-like: three tones a fifth and an octave apart over pink noise.
sox -q -n -r 44100 -c 2 -b 16 "$work/sixty.wav" synth 60 sine 220 sine 330 sine 440 pinknoise \
  remix 1,2v0.5,4v0.3 2,3v0.5,4v0.3 gain -n -3
ff -i "$work/sixty.wav" -c:a flac "$work/sixty.flac"
src=$work/sixty.flac
cat "$src" > /dev/null # warm the page cache for both

best() { [ -z "$1" ] || [ "$2" -lt "$1" ] && echo "$2" || echo "$1"; }
ratios=()

# compare TITLE CLI_RESULT REF_RESULT "CLI COMMAND" "REFERENCE COMMAND"
compare() {
  local title=$1 cli_out=$2 ref_out=$3 cli_cmd=$4 ref_cmd=$5 b_cli= b_ref= t_cli t_ref round
  printf '%s\n%-6s %14s %14s\n' "$title" round "audrel-cli ms" "reference ms"
  for round in $(seq "$rounds"); do
    rm -f "$cli_out" "$ref_out"
    t_ref=$(time_ns sh -c "$ref_cmd")
    t_cli=$(time_ns sh -c "$cli_cmd")
    awk -v r="$round" -v a="$t_cli" -v b="$t_ref" 'BEGIN { printf "%-6s %14.1f %14.1f\n", r, a / 1e6, b / 1e6 }'
    b_cli=$(best "$b_cli" "$t_cli")
    b_ref=$(best "$b_ref" "$t_ref")
  done
  ratios+=("$(awk -v t="$title" -v a="$b_cli" -v b="$b_ref" \
    'BEGIN { printf "%-34s audrel-cli %8.1f ms, reference %8.1f ms, ratio %.3f", t, a / 1e6, b / 1e6, a / b }')")
  printf '%s\n\n' "${ratios[-1]}"
}

cli_to() { echo "$cli convert --to $1 --quiet --options $work/Options.ini $src"; }
compare "FLAC to FLAC (level 5)" "$work/cli/sixty.flac" "$work/ref/sixty.flac" \
  "$(cli_to flac)" "ffmpeg -nostdin -v error -i $src -c:a flac -compression_level 5 $work/ref/sixty.flac"
compare "FLAC to Ogg Vorbis (quality 5)" "$work/cli/sixty.ogg" "$work/ref/sixty.ogg" \
  "$(cli_to ogg)" "ffmpeg -nostdin -v error -i $src -c:a libvorbis -q:a 5 $work/ref/sixty.ogg"
compare "FLAC to Opus (128 kbit/s VBR)" "$work/cli/sixty.opus" "$work/ref/sixty.opus" \
  "$(cli_to opus)" "ffmpeg -nostdin -v error -i $src -c:a libopus -b:a 128k -vbr on $work/ref/sixty.opus"
compare "FLAC to AAC (192 kbit/s)" "$work/cli/sixty.m4a" "$work/ref/sixty.m4a" \
  "$(cli_to m4a)" "ffmpeg -nostdin -v error -i $src -c:a aac -b:a 192k $work/ref/sixty.m4a"
compare "FLAC to ALAC" "$work/cli/sixty.m4a" "$work/ref/sixty.m4a" \
  "$(cli_to alac)" "ffmpeg -nostdin -v error -i $src -c:a alac $work/ref/sixty.m4a"
compare "FLAC to MP3 (128 kbit/s)" "$work/cli/sixty.mp3" "$work/ref/sixty.mp3" \
  "$(cli_to mp3)" "ffmpeg -nostdin -v error -i $src -f wav - | lame --quiet -b 128 --cbr -m s -p -o --noreplaygain - $work/ref/sixty.mp3"

# The batch: the batch benches' 20 WAV files as FLAC.
make_batch_files "$work/batch"
mkdir "$work/flac"
for wav in "$work"/batch/wav/*.wav; do
  ff -i "$wav" -c:a flac "$work/flac/$(basename "$wav" .wav).flac"
done
cat "$work"/flac/* > /dev/null
jobs=$(nproc)
batch_rounds=$((rounds > 3 ? rounds - 2 : 1))
rounds=$batch_rounds compare "20 FLAC to Opus, $jobs at once" "$work/cli/track01.opus" "$work/ref/track01.opus" \
  "rm -f $work/cli/*.opus; $cli convert --to opus --jobs $jobs --quiet --options $work/Options.ini $work/flac" \
  "rm -f $work/ref/*.opus; ls $work/flac/*.flac | xargs -P $jobs -I{} sh -c 'ffmpeg -nostdin -v error -i \"\$1\" -c:a libopus -b:a 128k -vbr on $work/ref/\$(basename \"\$1\" .flac).opus' _ {}"
rm -rf "$work/batch" "$work/flac" "$work"/cli/* "$work"/ref/*

# Peak memory on a FLAC of more than 1 GB: 12,240 s of white noise, which
# FLAC compresses to about half.
sox -q -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth 60 whitenoise gain -n -3
make_big_wav "$work/noise.wav" "$work/big.wav"
ff -stream_loop 1 -i "$work/big.wav" -c:a flac "$work/big.flac"
rm -f "$work/big.wav"
size=$(stat -c %s "$work/big.flac")
start=$(date +%s%N)
/usr/bin/time -f '%M' -o "$work/peak" "$cli" convert --to opus --options "$work/Options.ini" "$work/big.flac" \
  > /dev/null 2>&1 || { echo "audrel-cli failed on the big FLAC" >&2; exit 1; }
end=$(date +%s%N)
peak_kb=$(tail -n 1 "$work/peak")

echo "Summary (targets: ratios at most 1.05, peak below 60 MB):"
printf '%s\n' "${ratios[@]}"
awk -v size="$size" -v kb="$peak_kb" -v ns=$((end - start)) -v out="$(stat -c %s "$work/cli/big.opus")" 'BEGIN {
  printf "FLAC of %.0f MB (12,240 s of noise) to %.1f MB of Opus in %.1f s; peak resident memory of audrel-cli: %.1f MB\n", size / 1e6, out / 1e6, ns / 1e9, kb / 1024
}'
