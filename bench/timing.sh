# Shared by the conversion benchmarks; sourced, not run.

# Wall time of a command in nanoseconds; its output is dropped.
time_ns() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  end=$(date +%s%N)
  echo $((end - start))
}

# A WAV file of about 1 GB: the samples of a 60-second 44.1 kHz stereo 16-bit
# WAV repeated behind one header. Usage: make_big_wav SIXTY_SECOND_WAV OUT
make_big_wav() {
  local src=$1 out=$2 raw repeats data_bytes
  raw=$(mktemp /tmp/audrel-raw.XXXXXX)
  repeats=$(( (1024 * 1024 * 1024) / (60 * 44100 * 4) + 1 ))
  data_bytes=$(( repeats * 60 * 44100 * 4 ))
  le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
  sox -q "$src" -t raw "$raw"
  {
    printf 'RIFF'; le32 $((36 + data_bytes)); printf 'WAVEfmt '; le32 16
    printf '\x01\x00\x02\x00'; le32 44100; le32 $((44100 * 4)); printf '\x04\x00\x10\x00'
    printf 'data'; le32 "$data_bytes"
    for _ in $(seq "$repeats"); do cat "$raw"; done
  } > "$out"
  rm -f "$raw"
}

# What every benchmark does first: sets cli (the given audrel-cli, or the one
# in the given build folder; by default build/audrel-cli) and rounds, and
# checks that the reference tools are there.
# Usage: bench_start "${1:-}" "${2:-}" DEFAULT_ROUNDS TOOL...
bench_start() {
  cli=${1:-$here/build/audrel-cli}
  [ -d "$cli" ] && cli=$cli/audrel-cli
  rounds=${2:-$3}
  shift 3
  [ -x "$cli" ] || { echo "audrel-cli not found at $cli (build first or pass its path)" >&2; exit 2; }
  local tool
  for tool in "$@"; do
    command -v "$tool" > /dev/null || { echo "$tool is not installed" >&2; exit 2; }
  done
}

# The batches of the batch benchmarks: 20 stereo 20-second WAV files of tones
# and noise in FOLDER/wav, and each encoded by lame (128 kbit/s, the program's
# default settings) in FOLDER/mp3. Usage: make_batch_files FOLDER
make_batch_files() {
  local folder=$1 i name
  mkdir -p "$folder/wav" "$folder/mp3"
  for i in $(seq 1 20); do
    name=$(printf 'track%02d' "$i")
    sox -q -n -r 44100 -c 2 -b 16 "$folder/wav/$name.wav" synth 20 sine $((200 + i * 7)) sine $((900 + i * 11)) \
      pinknoise remix 1,2v0.5,3v0.2 2,3v0.2 gain -n -3
    lame --quiet -b 128 --cbr -m s -p -o -t --noreplaygain "$folder/wav/$name.wav" "$folder/mp3/$name.mp3"
  done
  [ "$(ls "$folder/wav" | wc -l)" -eq 20 ] && [ "$(ls "$folder/mp3" | wc -l)" -eq 20 ] ||
    { echo "the test files could not be made" >&2; exit 1; }
  cat "$folder"/wav/* "$folder"/mp3/* > /dev/null # warm the page cache
}
