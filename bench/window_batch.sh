#!/usr/bin/env bash
# Times batches through the window: 20 generated 20-second stereo WAV files
# encoded to MP3, and 20 MP3 files decoded to WAV, each batch converted by the
# real conversion dialog (offscreen) with "Files converted at once" on
# Automatic and on 1, in alternation with `xargs -P $(nproc)` of `lame` and of
# `mpg123 -w` at the same settings. Every round writes new files; the best
# times give the ratios, and the results of Automatic must be byte-identical
# to those of one at a time (and, to MP3, to lame's). Each window run's
# time is the whole program's (start, adding the rows, the dialog, the end);
# the time the dialog was open is printed beside it.
#
# Usage: bench/window_batch.sh [BUILD_DIR] [ROUNDS]
#   BUILD_DIR  the build folder (default: build beside this script)
#   ROUNDS     timed rounds of each (default 3)
# Targets: Automatic at most 1.10 times the xargs time, and at least 1.7 times
# as fast as one at a time (on two or more processors).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/bench/timing.sh"
build=${1:-$here/build}
bench_start "$build/audrel-cli" "${2:-}" 3 sox lame mpg123 xargs
window=$build/bench/bench_window_batch
[ -x "$window" ] || { echo "$window not found (build first)" >&2; exit 2; }
export QT_QPA_PLATFORM=offscreen
cpus=$(nproc)

work=$(mktemp -d /tmp/audrel-window.XXXXXX)
trap 'rm -rf "$work"' EXIT
make_batch_files "$work"
# The program's default MP3 settings, for lame.
lame_flags="-b 128 --cbr -m s -p -o -t --noreplaygain"

same_files() { # two folders: the same names with the same bytes
  local a=$1 b=$2 f
  [ "$(ls "$a")" = "$(ls "$b")" ] || return 1
  for f in "$a"/*; do cmp -s "$f" "$b/$(basename "$f")" || return 1; done
}

# Runs the window once; prints its wall time in ns and, after it, the time
# the conversion dialog was open in ms (which holds the dialog's own 100 ms
# before it starts the first file).
time_window() {
  local start end said
  start=$(date +%s%N)
  said=$("$window" "$@" 2>/dev/null) || { echo "failed: $window $*" >&2; return 1; }
  end=$(date +%s%N)
  echo "$((end - start)) $(awk '{ print $4 }' <<< "$said")"
}

run_set() { # title, window kind, source folder, reference command
  local title=$1 kind=$2 sources=$3 ref=$4 best_ref= best_auto= best_one= identical=yes dialog_auto= dialog_one=
  echo "$title ($cpus processors)"
  printf '%-6s %14s %14s %14s %18s %18s\n' round "xargs -P ms" "Automatic ms" "1 at once ms" "dialog Automatic" "dialog 1 at once"
  for round in $(seq "$rounds"); do
    rm -rf "$work/ref" "$work/auto" "$work/one"; mkdir -p "$work/ref" "$work/auto" "$work/one"
    t_ref=$(time_ns bash -c "$ref")
    read -r t_auto d_auto < <(time_window "$kind" 0 "$sources" "$work/auto")
    read -r t_one d_one < <(time_window "$kind" 1 "$sources" "$work/one")
    for d in ref auto one; do
      [ "$(ls "$work/$d" | wc -l)" -eq 20 ] || { echo "the $d run did not make its 20 files" >&2; exit 1; }
    done
    same_files "$work/auto" "$work/one" || identical=NO
    [ "$kind" = mp3 ] && { same_files "$work/auto" "$work/ref" || identical=NO; }
    awk -v r="$round" -v a="$t_ref" -v b="$t_auto" -v c="$t_one" -v d="$d_auto" -v e="$d_one" \
      'BEGIN { printf "%-6s %14.1f %14.1f %14.1f %18.1f %18.1f\n", r, a / 1e6, b / 1e6, c / 1e6, d, e }'
    [ -z "$best_ref" ] || [ "$t_ref" -lt "$best_ref" ] && best_ref=$t_ref
    [ -z "$best_auto" ] || [ "$t_auto" -lt "$best_auto" ] && { best_auto=$t_auto; dialog_auto=$d_auto; }
    [ -z "$best_one" ] || [ "$t_one" -lt "$best_one" ] && { best_one=$t_one; dialog_one=$d_one; }
  done
  awk -v a="$best_ref" -v b="$best_auto" -v c="$best_one" -v d="$dialog_auto" -v e="$dialog_one" -v same="$identical" 'BEGIN {
    printf "best: xargs -P %.1f ms, Automatic %.1f ms, 1 at once %.1f ms\n", a / 1e6, b / 1e6, c / 1e6
    printf "ratio Automatic / xargs -P: %.3f  (target: at most 1.10)\n", b / a
    printf "speed-up of Automatic over 1 at once: %.2f  (target: at least 1.7)\n", c / b
    printf "of those runs, the dialog: Automatic %.1f ms, 1 at once %.1f ms (speed-up %.2f; ratio to xargs -P %.3f)\n", d, e, e / d, d * 1e6 / a
    printf "results identical: %s\n\n", same
  }'
  [ "$identical" = yes ]
}

run_set "20 WAV files to MP3 in the window" mp3 "$work/wav" \
  "ls $work/wav/*.wav | xargs -P $cpus -I{} sh -c 'lame --quiet $lame_flags \"\$1\" $work/ref/\$(basename \"\$1\" .wav).mp3' _ {}"
run_set "20 MP3 files to WAV in the window" wav "$work/mp3" \
  "ls $work/mp3/*.mp3 | xargs -P $cpus -I{} sh -c 'mpg123 -q -w $work/ref/\$(basename \"\$1\" .mp3).wav \"\$1\"' _ {}"
