#!/usr/bin/env bash
# Times `audrel-cli convert --to wma` on a 60-second stereo 44.1 kHz 16-bit WAV
# against `ffmpeg -c:a wmav2 -b:a 128k`, and `audrel-cli convert --to wav` of
# that WMA against `ffmpeg -i F out.wav`, alternating audrel-cli and ffmpeg,
# each writing a new file, and prints every time and the ratio of the best
# times both ways. Then times the same WAV carrying an "id3 " chunk of 100,000
# ID3v2 frames against the plain one (a reader that parses such a tag takes
# minutes), and measures the peak resident memory of audrel-cli encoding a
# 1 GB WAV.
#
# The settings are the program's defaults (an Options.ini without keys):
# WMA v2 at 128 kbit/s, 44 100 Hz, stereo, no DRM. Both encoders are FFmpeg's,
# so the WMA files should be the same byte for byte, and the decoded samples
# must be.
#
# Usage: bench/wma.sh [AUDREL_CLI] [ROUNDS]
#   AUDREL_CLI  path of audrel-cli (default: build/audrel-cli beside this script)
#   ROUNDS      timed rounds of each (default 5)
# Targets: time ratios (audrel-cli / ffmpeg) at most 1.05 both ways; the
# tagged WAV without tags carried (--no-tags) about as fast as the plain one;
# peak memory below 60 MB.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/bench/timing.sh"
bench_start "${1:-}" "${2:-}" 5 sox ffmpeg /usr/bin/time

work=$(mktemp -d /tmp/audrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
src=$work/sixty.wav
mkdir "$work/back"

# Music-like: three tones a fifth and an octave apart over pink noise.
sox -q -n -r 44100 -c 2 -b 16 "$src" synth 60 sine 220 sine 330 sine 440 pinknoise \
  remix 1,2v0.5,4v0.3 2,3v0.5,4v0.3 gain -n -3
printf '[General]\nSameFolder=1\n' > "$work/Options.ini"


# The samples of a WAV file: everything after the "data" chunk's header.
samples() {
  local at
  at=$(grep -obUa data "$1" | head -n 1 | cut -d: -f1)
  tail -c +$((at + 9)) "$1"
}

cat "$src" > /dev/null # warm the page cache for both
best() { [ -z "$1" ] || [ "$2" -lt "$1" ] && echo "$2" || echo "$1"; }
enc_cli= enc_ff= dec_cli= dec_ff=
printf '%-6s %14s %14s %14s %14s\n' round "cli wma ms" "ffmpeg wma ms" "cli wav ms" "ffmpeg wav ms"
for round in $(seq "$rounds"); do
  # Each writes a new file (replacing one makes ext4 write the new data out at once).
  rm -f "$work/ffmpeg.wma" "$work/sixty.wma" "$work/ffmpeg.wav" "$work/back/sixty.wav"
  t_ff=$(time_ns ffmpeg -nostdin -v quiet -i "$src" -c:a wmav2 -b:a 128k "$work/ffmpeg.wma")
  t_cli=$(time_ns "$cli" convert --to wma --options "$work/Options.ini" "$src")
  d_ff=$(time_ns ffmpeg -nostdin -v quiet -i "$work/sixty.wma" "$work/ffmpeg.wav")
  d_cli=$(time_ns "$cli" convert --to wav --options "$work/Options.ini" --dest "$work/back" "$work/sixty.wma")
  awk -v r="$round" -v a="$t_cli" -v b="$t_ff" -v c="$d_cli" -v d="$d_ff" \
    'BEGIN { printf "%-6s %14.1f %14.1f %14.1f %14.1f\n", r, a / 1e6, b / 1e6, c / 1e6, d / 1e6 }'
  enc_cli=$(best "$enc_cli" "$t_cli")
  enc_ff=$(best "$enc_ff" "$t_ff")
  dec_cli=$(best "$dec_cli" "$d_cli")
  dec_ff=$(best "$dec_ff" "$d_ff")
done

cmp -s "$work/sixty.wma" "$work/ffmpeg.wma" && same_wma=yes || same_wma=no
cmp -s <(samples "$work/back/sixty.wav") <(samples "$work/ffmpeg.wav") && same_wav=yes || same_wav="NO (a fault)"
awk -v ec="$enc_cli" -v ef="$enc_ff" -v dc="$dec_cli" -v df="$dec_ff" -v sw="$same_wma" -v sv="$same_wav" 'BEGIN {
  printf "best WAV to WMA: audrel-cli %.1f ms, ffmpeg %.1f ms\n", ec / 1e6, ef / 1e6
  printf "best WMA to WAV: audrel-cli %.1f ms, ffmpeg %.1f ms\n", dc / 1e6, df / 1e6
  printf "time ratio WAV to WMA (audrel-cli / ffmpeg): %.3f  (target: at most 1.05)\n", ec / ef
  printf "time ratio WMA to WAV (audrel-cli / ffmpeg): %.3f  (target: at most 1.05)\n", dc / df
  printf "WMA files identical: %s; decoded samples identical: %s\n", sw, sv
}'

# The WAV with a flood of tags before its samples: 100,000 TXXX frames, each
# with a description of its own.
flood=$work/flood.wav
perl -e '
  local $/; open my $in, "<:raw", $ARGV[0] or die; my $wav = <$in>;
  my $frames = join "", map { my $t = "\0$_\0v"; "TXXX" . pack("N", length $t) . "\0\0" . $t } 0 .. 99999;
  my $n = length $frames;
  my $tag = "ID3\x03\0\0" . pack("C4", ($n >> 21) & 127, ($n >> 14) & 127, ($n >> 7) & 127, $n & 127) . $frames;
  $tag .= "\0" if length($tag) % 2;
  my $chunk = "id3 " . pack("V", length $tag) . $tag;
  my $at = index($wav, "data");
  my $out = substr($wav, 0, $at) . $chunk . substr($wav, $at);
  substr($out, 4, 4) = pack("V", length($out) - 8);
  open my $o, ">:raw", $ARGV[1] or die; print $o $out;' "$src" "$flood"
plain_nt= flood_nt= flood_t=
for round in $(seq "$rounds"); do
  t=$(time_ns "$cli" convert --to wma --no-tags --overwrite --options "$work/Options.ini" "$src")
  plain_nt=$(best "$plain_nt" "$t")
  t=$(time_ns "$cli" convert --to wma --no-tags --overwrite --options "$work/Options.ini" "$flood")
  flood_nt=$(best "$flood_nt" "$t")
  t=$(time_ns "$cli" convert --to wma --overwrite --options "$work/Options.ini" "$flood")
  flood_t=$(best "$flood_t" "$t")
done
awk -v p="$plain_nt" -v f="$flood_nt" -v t="$flood_t" 'BEGIN {
  printf "WAV with 100,000 ID3v2 frames: %.1f ms without tags carried (plain WAV %.1f ms, ratio %.2f), %.1f ms with them\n", f / 1e6, p / 1e6, f / p, t / 1e6
}'
rm -f "$flood" "$work/flood.wma"

# Peak memory on a 1 GB WAV: the 60-second samples repeated behind one header.
big=$work/big.wav
make_big_wav "$src" "$big"
size=$(stat -c %s "$big")
start=$(date +%s%N)
/usr/bin/time -f '%M' -o "$work/peak" "$cli" convert --to wma --overwrite --options "$work/Options.ini" "$big" \
  > /dev/null 2>&1 || { echo "audrel-cli failed on the 1 GB WAV" >&2; exit 1; }
end=$(date +%s%N)
peak_kb=$(tail -n 1 "$work/peak")
wma_size=$(stat -c %s "$work/big.wma")
rm -f "$big" "$work/big.wma"
awk -v size="$size" -v kb="$peak_kb" -v ns=$((end - start)) -v wma="$wma_size" 'BEGIN {
  printf "1 GB WAV: %d bytes (%.0f s of audio) -> %d bytes of WMA in %.1f s\n", size, (size - 44) / 176400, wma, ns / 1e9
  printf "peak resident memory of audrel-cli: %.1f MB  (target: below 60 MB)\n", kb / 1024
}'
