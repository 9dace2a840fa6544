#!/usr/bin/env bash
# Seeds for fuzz_ffmpegdecoder and fuzz_tags: a short tagged file of every
# kind ffmpeg writes that the program reads, plus the third-party samples
# when they are there. Usage: fuzz/make_seeds.sh DIR [TESTDATA_DIR]
set -euo pipefail
out=$1
testdata=${2:-$(dirname "$0")/../../shared/testdata}
mkdir -p "$out"
tone=(-f lavfi -i "sine=f=440:d=0.3:r=44100" -f lavfi -i "sine=f=660:d=0.3:r=44100"
      -filter_complex "[0][1]amerge=inputs=2" -metadata title=Seed -metadata artist=Fuzz -metadata track=1/2)
make() { ffmpeg -nostdin -v error -y "${tone[@]}" "$@"; }
make -c:a flac "$out/seed.flac"
make -c:a libvorbis "$out/seed.ogg"
make -c:a libopus "$out/seed.opus"
make -c:a aac "$out/seed-aac.m4a"
make -c:a alac "$out/seed-alac.m4a"
make -c:a pcm_s24be "$out/seed.aiff"
make -c:a wavpack "$out/seed.wv"
make -c:a tta "$out/seed.tta"
make -c:a flac "$out/seed.mka"
make -c:a pcm_s16le "$out/seed.caf"
make -c:a ac3 "$out/seed.ac3"
make -c:a pcm_s16be "$out/seed.au"
make -c:a mp2 "$out/seed.mp2"
make -c:a wmav2 "$out/seed.wma"
make -c:a libmp3lame "$out/seed.mp3"
make -c:a pcm_f32le "$out/seed.wav"
make -c:a flac -f ogg "$out/seed.oga"
if [ -d "$testdata" ]; then
  find "$testdata" -type f -size -2M -regextype egrep -iregex '.*\.(mp[123]|wav|wma)' -exec cp {} "$out/" \;
fi
ls "$out" | wc -l
