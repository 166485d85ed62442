#!/usr/bin/env bash
# The Debian package as a user gets it: built with the package target's own
# configuration, listed, unpacked into a temporary root, and run from there;
# the programs must find the reader (wrapped, to see it ran) and the examples
# where they are installed, never in the build tree.
# Usage: check_package.sh BUILD_DIR VERSION APP_ID (writes only in its temporary folder)
set -euo pipefail
build=$1 version=$2 app_id=$3
tmp=$(mktemp -d "${TMPDIR:-/tmp}/velta-package-test.XXXXXX")
window=""
trap 'set +e; [ -n "$window" ] && kill "$window" && wait "$window"; rm -rf "$tmp"' EXIT
fail() {
  [ ! -f "$tmp/log" ] || cat "$tmp/log"
  echo "FAIL: $*" >&2
  exit 1
}

# Built as `cmake --build build --target package` builds it, in the temporary folder.
"${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/log" 2>&1 ||
  fail "cpack failed"
deb="$tmp/out/velta_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$tmp/out")"

# The control fields, and dependencies computed from the programs' libraries.
dpkg-deb -I "$deb" >"$tmp/info"
for field in "Package: velta" "Version: $version" "Section: science" "Maintainer: " \
  "Description: " "Depends:.*libqt6widgets6" "Depends:.*libqcustomplot2.1-qt6" \
  "Depends:.*libfreexl1" "Depends:.*libzip4" "Depends:.*libpugixml1v5"; do
  grep -q "^ $field" "$tmp/info" || fail "control has no '$field'"
done

# The installed tree, and nothing that names the build tree.
dpkg-deb -c "$deb" | awk '{print $NF}' >"$tmp/list"
for f in bin/velta bin/velta-cli lib/velta/velta-sheet-reader share/doc/velta/user_guide.html \
  share/doc/velta/batch.html share/doc/velta/copyright share/doc/velta/examples/pilot_sample.xls \
  share/man/man1/velta-cli.1.gz share/man/man1/velta.1.gz "share/applications/$app_id.desktop" \
  "share/metainfo/$app_id.metainfo.xml" share/icons/hicolor/scalable/apps/velta.svg \
  share/icons/hicolor/48x48/apps/velta.png; do
  grep -qx "./usr/$f" "$tmp/list" || fail "the package has no /usr/$f"
done
! grep -q "$build" "$tmp/list" || fail "the package names the build tree"

usr="$tmp/root/usr"
docs="$usr/share/doc/velta"
dpkg-deb -x "$deb" "$tmp/root"
# Every page and picture the installed guide links to is installed with it.
for page in "$docs"/*.html; do
  for target in $(grep -o -E '(src|href)="[^"#:]+' "$page" | sed 's/^[a-z]*="//'); do
    [ -e "$docs/$target" ] || fail "$(basename "$page") links to $target, not installed"
  done
done

# The installed desktop entry is valid, hands velta the file, and claims the
# MIME type this machine gives each kind of file velta opens, so that a file
# manager offers "Open with VELTA" for it.
entry="$usr/share/applications/$app_id.desktop"
desktop-file-validate "$entry" >"$tmp/log" 2>&1 || fail "desktop-file-validate failed"
rm "$tmp/log" # from here on, the window's own
grep -qE '^Exec=velta .*%[fFuU]' "$entry" || fail "its Exec does not hand velta the file"
mimes=$(sed -n 's/^MimeType=//p' "$entry")
for ext in xls xlsx ods csv; do
  known=$(awk -F: -v glob="*.$ext" '$3 == glob {print $2}' "${GLOBS2:-/usr/share/mime/globs2}")
  for type in $known; do [[ ";$mimes" == *";$type;"* ]] && continue 2; done
  fail ".$ext is $known, not in MimeType=$mimes"
done

# The reader, wrapped: it leaves a mark each time it runs, then does its work.
reader="$usr/lib/velta/velta-sheet-reader"
mv "$reader" "$reader.installed"
printf '#!/bin/sh\nmkdir -p "%s/reader-ran"\nexec "$0.installed" "$@"\n' "$tmp" >"$reader"
chmod 755 "$reader"
cli() { (cd "$tmp" && env -u VELTA_SHEET_READER "$usr/bin/velta-cli" "$@"); }

[ "$(cli --version)" = "velta-cli $version" ] || fail "--version says $(cli --version)"
# A whole analysis of the installed example, from the installed place: 24
# units, automatic size 19 at P = 5, Student-t 9 for an error of 2.
cli "$docs/examples/pilot_sample.xls" --trim 5 --max-error 2 -q --json - --report report.dat \
  >"$tmp/result.json" || fail "the analysis ended with status $?"
[ -d "$tmp/reader-ran" ] || fail "the installed reader did not run"
[ -s "$tmp/report.dat" ] || fail "no report written"
got=$(python3 -c 'import json, sys; r = json.load(sys.stdin)["results"][0]
print(r["input"]["N"], r["automatic"]["size"], r["studentT"]["size"])' <"$tmp/result.json")
[ "$got" = "24 19 9" ] || fail "N, automatic, Student-t: $got, not 24 19 9"

# The window, offscreen, with a file given as a file manager gives it: it
# reads the file through the installed reader, is still running a moment
# later, and Open took the file as the dialog's answer (its folder is the last
# one used). Settings go to the temporary folder.
rm -rf "$tmp/reader-ran"
mkdir -p -m 700 "$tmp/home" "$tmp/runtime"
env -u VELTA_SHEET_READER HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" \
  XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen \
  "$usr/bin/velta" "$docs/examples/pilot_sample.xlsx" >"$tmp/log" 2>&1 &
window=$!
for _ in $(seq 600); do # the reader's mark, or the window's end (a minute at most)
  [ ! -d "$tmp/reader-ran" ] && kill -0 "$window" 2>/dev/null || break
  sleep 0.1
done
[ -d "$tmp/reader-ran" ] || fail "velta FILE did not read the file through the installed reader"
sleep 1
kill -0 "$window" 2>/dev/null || fail "velta FILE ended by itself"
grep -qx "lastFolder=$docs/examples" "$tmp/home/.config/VELTA/VELTA.conf" ||
  fail "velta FILE did not open the file as File > Open does"
echo "package $(basename "$deb"): $(wc -l <"$tmp/list") entries, checks passed"
