#!/usr/bin/env bash
# Installs the build into a temporary root and runs the installed programs from
# there: a missing install rule, or a program that cannot find its folder once
# installed, fails here. Then checks the desktop entry, the AppStream data and
# the manual pages with their own validators.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d /tmp/audrel-install.XXXXXX)
trap 'rm -rf "$root"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
prefix=$root/usr
for file in bin/audrel bin/audrel-cli lib/audrel/audrel lib/audrel/audrel-cli lib/audrel/libxaudio.so \
            lib/audrel/libxaudio_device.so lib/audrel/notice.wav lib/audrel/help.html \
            share/applications/audrel.desktop share/icons/hicolor/scalable/apps/audrel.svg \
            share/metainfo/example.quorvex.Audrel.metainfo.xml share/man/man1/audrel.1 share/man/man1/audrel-cli.1 \
            share/doc/audrel/LICENSE share/doc/audrel/CREDITS; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
# The icon's renderings beside the SVG, each of its folder's size.
for size in 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x$size/apps/audrel.png
  [ -f "$png" ] || fail "no $size px icon"
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " 0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] ||
    fail "the $size px icon is $(od -An -tu1 -j16 -N8 "$png")"
done

# The installed programs, reached through their links in bin, with a home of their own.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/config XDG_STATE_HOME=$root/home/state
mkdir -p "$HOME"
[ "$("$prefix/bin/audrel-cli" --version)" = "audrel-cli $(sed -n 's/^project(Audrel VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")" ] ||
  fail "audrel-cli --version: $("$prefix/bin/audrel-cli" --version)"
"$prefix/bin/audrel" --version | grep -q '^audrel ' || fail "audrel --version printed nothing"
if command -v sox > /dev/null; then
  sox -q -n -r 22050 -c 1 -b 16 "$root/tone.wav" synth 0.5 sine 440
  "$prefix/bin/audrel-cli" convert --to mp3 --quiet "$root/tone.wav" > /dev/null || fail "WAV to MP3 failed"
  [ -s "$root/tone.mp3" ] || fail "no MP3 made"
  mv "$root/tone.wav" "$root/original.wav"
  # MP3 to WAV needs the player library of the installed program folder.
  "$prefix/bin/audrel-cli" convert --to wav --quiet "$root/tone.mp3" > /dev/null || fail "MP3 to WAV failed"
  [ -s "$root/tone.wav" ] || fail "no WAV made"
fi

# The completion of audrel-cli, called as bash calls it: the words offered
# for a command line whose last word is being completed.
completion=$prefix/share/bash-completion/completions/audrel-cli
[ -f "$completion" ] || fail "the bash completion is not installed"
offered() {
  (
    set +eu
    source "$completion"
    COMP_WORDS=(audrel-cli "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _audrel_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort
  )
}
cli=$prefix/bin/audrel-cli
said() { "$cli" "$@" < /dev/null 2>&1 || true; } # what audrel-cli answers, whatever its status
commands=$("$cli" --help | sed -n '/^Commands:/,$ s/^  \([a-z][a-z0-9-]*\) .*/\1/p' | sort)
[ -n "$commands" ] && [ "$(offered "" | grep -v '^--')" = "$commands" ] ||
  fail "completion offers the commands $(offered "" | tr '\n' ' ')instead of $(echo $commands)"
for command in $commands; do
  # Every option offered is one the command takes, and every --option that its
  # usage names and it takes is offered.
  options=$(offered "$command" --)
  for option in $options; do
    [[ $(said "$command" "$option") != *"Unknown option"* ]] || fail "completion offers $command $option"
  done
  for option in $("$cli" "$command" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
    [[ $(said "$command" "$option") != *"Unknown option"* ]] || continue
    grep -qx -- "$option" <<< "$options" || fail "completion does not offer $command $option"
  done
done
# Every destination kind of convert --to, also after "=" (bash splits the word
# there), and nothing it refuses.
kinds=$(offered convert --to "")
[ -n "$kinds" ] && [ "$(offered convert --to =)" = "$kinds" ] || fail "convert --to= offers $(offered convert --to =)"
[ "$(offered convert --to = w)" = "$(grep '^w' <<< "$kinds")" ] || fail "convert --to=w offers $(offered convert --to = w)"
for kind in $kinds; do
  [[ $(said convert --to "$kind") != *"--to takes"* ]] || fail "completion offers convert --to $kind"
done
for kind in mp3 wav wma; do
  grep -qx "$kind" <<< "$kinds" || fail "convert --to does not offer $kind"
done
[ "$(offered convert --to w)" = "$(grep '^w' <<< "$kinds")" ] || fail "convert --to w offers $(offered convert --to w)"
[ "$(offered tag --ti)" = "--title" ] || fail "tag --ti offers $(offered tag --ti)"
# A folder for --dest, files and folders for the files to convert.
mkdir -p "$root/names/sub folder" && touch "$root/names/song.wav"
[ "$(cd "$root/names" && offered convert --dest "")" = "sub folder" ] || fail "convert --dest offers $(cd "$root/names" && offered convert --dest "")"
[ "$(cd "$root/names" && offered convert --to wav s | tr '\n' '|')" = "song.wav|sub folder|" ] ||
  fail "convert FILE offers $(cd "$root/names" && offered convert --to wav s)"

if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$prefix/share/applications/audrel.desktop" || fail "desktop entry"
fi
# The licence that distributions read, the same in the metainfo and the licence file.
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$prefix/share/metainfo/example.quorvex.Audrel.metainfo.xml" ||
  fail "the metainfo does not say GPL-3.0-or-later"
grep -q 'GNU GENERAL PUBLIC LICENSE' "$prefix/share/doc/audrel/LICENSE" && grep -q 'Version 3' "$prefix/share/doc/audrel/LICENSE" ||
  fail "LICENSE is not the GPL version 3"
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/example.quorvex.Audrel.metainfo.xml" > /dev/null ||
    fail "AppStream data"
fi
if command -v man > /dev/null; then
  for page in audrel audrel-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
  done
fi
echo "installed and ran from $prefix"
