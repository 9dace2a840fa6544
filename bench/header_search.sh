#!/usr/bin/env bash
# Times the MPEG header search of audrel-cli on a 50 MB file without MPEG
# audio (searched to its end) against `cat FILE > /dev/null` on the same file,
# in one run, and prints the ratio of their speeds.
#
# Usage: bench/header_search.sh [AUDREL_CLI] [ROUNDS]
#   AUDREL_CLI  path of audrel-cli (default: build/audrel-cli beside this script)
#   ROUNDS      timed rounds of each command (default 5); the best of each is compared
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build/audrel-cli}
rounds=${2:-5}
[ -x "$cli" ] || { echo "audrel-cli not found at $cli (build first or pass its path)" >&2; exit 2; }

work=$(mktemp -d /tmp/audrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
file=$work/nompeg.mp3

# 50 MB of random bytes in which every 0xFF byte became 0xFE, so no 11-bit
# frame sync exists anywhere and the search runs to the end.
head -c $((50 * 1024 * 1024)) /dev/urandom | tr '\377' '\376' > "$file"
size=$(stat -c %s "$file")

# Wall time of a command in nanoseconds.
time_ns() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $((end - start))
}

cat "$file" > /dev/null # warm the page cache for both
best_cat=
best_cli=
for _ in $(seq "$rounds"); do
  t=$(time_ns sh -c "cat '$file' > /dev/null")
  [ -z "$best_cat" ] || [ "$t" -lt "$best_cat" ] && best_cat=$t
  t=$(time_ns "$cli" info "$file")
  [ -z "$best_cli" ] || [ "$t" -lt "$best_cli" ] && best_cli=$t
done

# The search must report the file as holding no MPEG audio.
if "$cli" info "$file" > /dev/null 2>&1; then
  echo "audrel-cli accepted a file without MPEG audio" >&2
  exit 1
fi

awk -v size="$size" -v c="$best_cat" -v a="$best_cli" 'BEGIN {
  printf "file size            %d bytes\n", size
  printf "cat > /dev/null      %8.1f ms  %8.1f MB/s\n", c / 1e6, size / (c / 1e9) / 1e6
  printf "audrel-cli info      %8.1f ms  %8.1f MB/s\n", a / 1e6, size / (a / 1e9) / 1e6
  printf "speed ratio (audrel-cli / cat): %.2f  (required: at least 0.25)\n", c / a
}'
