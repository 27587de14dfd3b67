#!/usr/bin/env bash
# Installs the build into a scratch root the way a package does (DESTDIR,
# prefix /usr) and checks what the program and the desktop need there.
#
#   tInstall.sh BUILD_DIR SOURCE_DIR VERSION BINDIR PROGDIR
#
# BINDIR and PROGDIR are the binary and program folders, below the prefix
# unless absolute. INKORA_CMAKE names the cmake to install with.
set -uo pipefail

build=$1 src=$2 version=$3 bindir=$4 progdir=$5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
prefix=$root/usr
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

if ! DESTDIR="$root" "${INKORA_CMAKE:-cmake}" --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
fi

under() { case $1 in /*) echo "$root$1" ;; *) echo "$prefix/$1" ;; esac; }
progdir=$(under "$progdir") bindir=$(under "$bindir")
prog=$progdir/inkora
launcher=$bindir/inkora

# The launcher: a relative symlink to the real program, which starts through
# it without a display.
[ -x "$prog" ] || fail "$prog is not an executable"
if [ -L "$launcher" ]; then
  case "$(readlink "$launcher")" in /*) fail "$launcher points to an absolute path" ;; esac
  [ "$(realpath "$launcher")" = "$(realpath "$prog")" ] || fail "$launcher does not lead to $prog"
else
  fail "$launcher is not a symlink"
fi
extra=$(find "$bindir" -mindepth 1 ! -name inkora)
[ -z "$extra" ] || fail "unexpected files in $bindir: $extra"

run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$launcher" "$@" 2>"$work/stderr"; }
if help=$(run --help); then
  grep -q -- "--export-notes" <<<"$help" || fail "inkora --help lacks its options: $help"
else
  fail "inkora --help failed: $help $(cat "$work/stderr")"
fi
out=$(run --version) || fail "inkora --version failed: $(cat "$work/stderr")"
[ "$out" = "inkora $version" ] || fail "inkora --version printed \"$out\", not \"inkora $version\""

# What the program reads beside itself: every language file, paper picture
# and catalogue the build has, unchanged.
same() {  # same SOURCE INSTALLED
  if [ ! -f "$2" ]; then fail "missing $2"
  elif ! cmp -s "$1" "$2"; then fail "$2 differs from $1"; fi
}
count=0
for f in "$src"/resources/Language/*.lng; do same "$f" "$progdir/Language/${f##*/}"; count=$((count + 1)); done
[ "$count" -ge 7 ] || fail "only $count language files in the sources"
count=0
for f in "$build"/Paper/*.gif; do same "$f" "$progdir/Paper/${f##*/}"; count=$((count + 1)); done
[ "$count" -ge 6 ] || fail "only $count paper pictures in the build"
count=0
for f in "$build"/inkora.[A-Z]*; do same "$f" "$progdir/${f##*/}"; count=$((count + 1)); done
[ -f "$progdir/inkora.ENU" ] || fail "the English catalogue inkora.ENU is missing"
[ "$count" -ge 8 ] || fail "only $count catalogues in the build"

# The launcher entry: valid, and naming what is installed.
desktop=$prefix/share/applications/inkora.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ "$exec_name" = inkora ] || fail "Exec starts \"$exec_name\", not the installed inkora"
  grep -qx 'Icon=inkora' "$desktop" || fail "the launcher does not use the inkora icon"
  mime_types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ')
  [ -n "$mime_types" ] || fail "the launcher claims no file types"
else
  fail "missing $desktop"
  mime_types=
fi

# The file types: well-formed, accepted by update-mime-database, and each
# type the launcher claims is declared, as a zip archive.
mime_xml=$prefix/share/mime/packages/inkora.xml
if [ -f "$mime_xml" ]; then
  xmllint --noout "$mime_xml" || fail "xmllint $mime_xml"
  mkdir -p "$work/mime/packages"
  cp "$mime_xml" "$work/mime/packages/"
  # In XDG_DATA_HOME it is on the search path, so any output is a complaint.
  if XDG_DATA_HOME=$work update-mime-database "$work/mime" >"$work/mime.log" 2>&1 &&
     ! grep -q . "$work/mime.log"; then
    grep -qx '50:application/x-inkora-project:\*\.ikp' "$work/mime/globs2" || fail "*.ikp is not an Inkora project"
    grep -qx '50:application/x-inkora-contents:\*\.ikt' "$work/mime/globs2" || fail "*.ikt is not Inkora contents"
    for t in $mime_types; do
      grep -qx "$t application/zip" "$work/mime/subclasses" || fail "$t is not declared as a zip archive"
    done
  else
    fail "update-mime-database rejects $mime_xml: $(cat "$work/mime.log")"
  fi
else
  fail "missing $mime_xml"
fi

# The icons: the scalable picture and PNGs of the right size, for the program
# and for each file type.
png_size() {  # width and height from the IHDR chunk
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}
hicolor=$prefix/share/icons/hicolor
for entry in apps/inkora $(for t in $mime_types; do echo "mimetypes/${t//\//-}"; done); do
  context=${entry%%/*} name=${entry#*/}
  svg=$hicolor/scalable/$context/$name.svg
  if [ -f "$svg" ]; then xmllint --noout "$svg" || fail "xmllint $svg"; else fail "missing $svg"; fi
  for size in 48 128 256; do
    png=$hicolor/${size}x${size}/$context/$name.png
    if [ ! -f "$png" ]; then fail "missing $png"; continue; fi
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    [ "$(png_size "$png")" = "$size $size" ] || fail "$png is $(png_size "$png"), not $size x $size"
  done
done

[ $status -eq 0 ] && echo "install tree complete"
exit $status
