#!/usr/bin/env bash
# Installs a build into a fresh prefix and checks what the desktop needs of
# it: the programs, the desktop entry, the MIME type, the icons and the
# thumbnailer, each as the desktop itself would read it.
#
#   check-install.sh BUILD_DIR CORPUS_DIR
set -euo pipefail
build=$1
corpus=$2

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
checks=0
fail() {
  echo "FAIL: $*" >&2
  echo "0 passed, 1 failed"
  exit 1
}
pass() { checks=$((checks + 1)); }

# The width and height a PNG's header declares, as "WxH".
png_size() {
  local bytes
  bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ' | sed 's/^ //')
  set -- $bytes
  echo "$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))x$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))"
}
is_png() { [ "$(od -An -c -j1 -N3 "$1" | tr -d ' ')" = "PNG" ]; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in tovimark tvk; do
  [ -x "$prefix/bin/$program" ] || fail "$program is not installed in bin"
  pass
done
"$prefix/bin/tovimark" --version | grep -Eqx 'tovimark [0-9]+(\.[0-9]+)+' || fail "tovimark --version"
pass

entry=$prefix/share/applications/tovimark.desktop
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
grep -qx "Exec=$prefix/bin/tovimark %u" "$entry" || fail "the entry does not start the installed program"
grep -qx "TryExec=$prefix/bin/tovimark" "$entry" || fail "TryExec"
grep -qx 'MimeType=application/vnd.adobe.flash.movie;application/x-shockwave-flash;' "$entry" || fail "MimeType"
grep -qx 'Icon=tovimark' "$entry" || fail "Icon"
pass

# A MIME database built from our package alone knows the type by both
# names, by extension and by each of the three signatures.
package=$prefix/share/mime/packages/tovimark.xml
[ -f "$package" ] || fail "no MIME package"
XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" || fail "update-mime-database rejects the package"
grep -qx 'application/x-shockwave-flash application/vnd.adobe.flash.movie' "$prefix/share/mime/aliases" || fail "alias"
grep -q ':application/vnd.adobe.flash.movie:\*\.swf$' "$prefix/share/mime/globs2" || fail "glob"
for signature in FWS CWS ZWS; do
  grep -aq "$signature" "$prefix/share/mime/magic" || fail "magic for $signature"
done
pass

for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tovimark.png
  [ -f "$icon" ] && is_png "$icon" || fail "no $size pixel icon"
  [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "the $size pixel icon is $(png_size "$icon")"
  pass
done

# The thumbnailer's own command line, with the arguments a file manager
# puts in, makes a PNG that fits the size asked for.
thumbnailer=$prefix/share/thumbnailers/tovimark.thumbnailer
grep -qx '\[Thumbnailer Entry\]' "$thumbnailer" || fail "no thumbnailer entry"
grep -qx 'MimeType=application/vnd.adobe.flash.movie;application/x-shockwave-flash;' "$thumbnailer" || fail "thumbnailer MimeType"
movie=$(find "$corpus/image" -name '*.swf' | sort | sed -n 1p)
[ -n "$movie" ] || fail "no movie in $corpus/image"
out=$prefix/thumbnail.png
read -ra words <<< "$(sed -n 's/^Exec=//p' "$thumbnailer")"
command=()
for word in "${words[@]}"; do
  case $word in
    %s) command+=(64) ;;
    %i) command+=("$movie") ;;
    %u) command+=("file://$movie") ;;
    %o) command+=("$out") ;;
    *) command+=("$word") ;;
  esac
done
[ "${command[0]}" = "$prefix/bin/tvk" ] || fail "the thumbnailer does not run the installed tvk"
"${command[@]}" || fail "the thumbnailer failed on $movie"
is_png "$out" || fail "the thumbnailer wrote no PNG"
size=$(png_size "$out")
width=${size%x*}
height=${size#*x}
[ "$width" -le 64 ] && [ "$height" -le 64 ] && { [ "$width" -eq 64 ] || [ "$height" -eq 64 ]; } ||
  fail "a 64 pixel thumbnail is $size"
pass

echo "$checks passed, 0 failed"
