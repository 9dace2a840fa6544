#!/usr/bin/env bash
# Times batches on two processors: 20 generated 20-second stereo WAV files
# encoded to MP3 with `audrel-cli convert --jobs 2` against `xargs -P 2 lame`
# at the same settings, and against `audrel-cli convert --jobs 1`; then the 20
# MP3 files decoded to WAV with `audrel-cli convert --jobs 2` against
# `xargs -P 2 mpg123 -w` and `--jobs 1`. Each is run in alternation, every
# round writing new files, and the best times give the ratios.
#
# Usage: bench/batch.sh [AUDREL_CLI | BUILD_DIR] [ROUNDS]
#   AUDREL_CLI  path of audrel-cli, or the build folder that holds it
#               (default: build/audrel-cli beside this script)
#   ROUNDS      timed rounds of each (default 3)
# Targets: --jobs 2 at most 1.05 times the xargs -P 2 time, and at least 1.7
# times as fast as --jobs 1 (on two or more processors).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/bench/timing.sh"
bench_start "${1:-}" "${2:-}" 3 sox lame mpg123 xargs

work=$(mktemp -d /tmp/audrel-batch.XXXXXX)
trap 'rm -rf "$work"' EXIT
make_batch_files "$work"
# The program's defaults: 128 kbit/s CBR stereo, CRC on, the original bit off,
# no Info frame; the same settings for lame.
printf '[General]\nSameFolder=0\nDestFolder=%s/out\n' "$work" > "$work/Options.ini"
lame_flags="-b 128 --cbr -m s -p -o -t --noreplaygain"


run_set() { # title, then three commands as strings: reference, --jobs 2, --jobs 1
  local title=$1 ref=$2 two=$3 one=$4 best_ref= best_two= best_one=
  echo "$title"
  printf '%-6s %14s %14s %14s\n' round "reference ms" "--jobs 2 ms" "--jobs 1 ms"
  for round in $(seq "$rounds"); do
    rm -rf "$work/out" "$work/ref"; mkdir -p "$work/out" "$work/ref"
    t_ref=$(time_ns bash -c "$ref")
    rm -rf "$work/out"; mkdir -p "$work/out"
    t_two=$(time_ns bash -c "$two")
    rm -rf "$work/out"; mkdir -p "$work/out"
    t_one=$(time_ns bash -c "$one")
    [ "$(ls "$work/out" | wc -l)" -eq 20 ] && [ "$(ls "$work/ref" | wc -l)" -eq 20 ] ||
      { echo "a run did not make its 20 files" >&2; exit 1; }
    awk -v r="$round" -v a="$t_ref" -v b="$t_two" -v c="$t_one" \
      'BEGIN { printf "%-6s %14.1f %14.1f %14.1f\n", r, a / 1e6, b / 1e6, c / 1e6 }'
    [ -z "$best_ref" ] || [ "$t_ref" -lt "$best_ref" ] && best_ref=$t_ref
    [ -z "$best_two" ] || [ "$t_two" -lt "$best_two" ] && best_two=$t_two
    [ -z "$best_one" ] || [ "$t_one" -lt "$best_one" ] && best_one=$t_one
  done
  awk -v a="$best_ref" -v b="$best_two" -v c="$best_one" 'BEGIN {
    printf "best: reference %.1f ms, --jobs 2 %.1f ms, --jobs 1 %.1f ms\n", a / 1e6, b / 1e6, c / 1e6
    printf "ratio --jobs 2 / reference: %.3f  (target: at most 1.05)\n", b / a
    printf "speed-up of --jobs 2 over --jobs 1: %.2f  (target: at least 1.7)\n\n", c / b
  }'
}

run_set "20 WAV files to MP3" \
  "ls $work/wav/*.wav | xargs -P 2 -I{} sh -c 'lame --quiet $lame_flags \"\$1\" $work/ref/\$(basename \"\$1\" .wav).mp3' _ {}" \
  "$cli convert --to mp3 --jobs 2 --quiet --options $work/Options.ini $work/wav" \
  "$cli convert --to mp3 --jobs 1 --quiet --options $work/Options.ini $work/wav"
run_set "20 MP3 files to WAV" \
  "ls $work/mp3/*.mp3 | xargs -P 2 -I{} sh -c 'mpg123 -q -w $work/ref/\$(basename \"\$1\" .mp3).wav \"\$1\"' _ {}" \
  "$cli convert --to wav --jobs 2 --quiet --options $work/Options.ini $work/mp3" \
  "$cli convert --to wav --jobs 1 --quiet --options $work/Options.ini $work/mp3"
