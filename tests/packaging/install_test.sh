#!/usr/bin/env bash
# An install into a temporary DESTDIR: every file in its place with its mode
# and nothing else; the desktop entry and the metainfo pass their validators;
# both man pages render without warnings; the icons have their sizes; the
# installed launcher finds the installed program; every version is the
# project's.
#
#   install_test.sh BUILD_DIR PROJECT_VERSION
set -uo pipefail

build=$1
version=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$tmp/log" 2>&1; then
  cat "$tmp/log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
fi

id=org.vantoro.Vantoro
sizes=(16 22 24 32 48 64 128 256)

# Every file with its mode, and no other.
{
  echo "755 usr/bin/vantoro"
  echo "755 usr/bin/vantoro-compare"
  echo "755 usr/libexec/vantoro/vantoro"
  echo "644 usr/share/applications/$id.desktop"
  echo "644 usr/share/metainfo/$id.metainfo.xml"
  echo "644 usr/share/icons/hicolor/scalable/apps/vantoro.svg"
  for size in "${sizes[@]}"; do
    echo "644 usr/share/icons/hicolor/${size}x${size}/apps/vantoro.png"
  done
  echo "644 usr/share/man/man1/vantoro.1.gz"
  echo "644 usr/share/man/man1/vantoro-compare.1.gz"
  echo "644 usr/share/doc/vantoro/README.md"
  echo "644 usr/share/doc/vantoro/copyright"
} | sort >"$tmp/expected"
(cd "$root" && find . ! -type d -printf '%m %P\n' | sort) >"$tmp/installed"
if ! diff -u "$tmp/expected" "$tmp/installed" >"$tmp/diff"; then
  fail "installed files differ from the expected ones:"
  cat "$tmp/diff" >&2
fi

# The validators, on the installed files: no error, no warning, no hint.
desktop=$root/usr/share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[[ -z $out ]] || fail "desktop-file-validate says: $out"
out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
  fail "appstreamcli validate: $out"
[[ $out != *"E:"* && $out != *"W:"* && $out != *"I:"* ]] || fail "appstreamcli says: $out"
# The whole tree: the metainfo's launchable is the installed desktop entry.
out=$(appstreamcli validate-tree --no-net "$root" 2>&1) || fail "appstreamcli validate-tree: $out"

# The desktop entry's required keys.
for line in "Name=Vantoro" "Exec=vantoro" "Icon=vantoro" "Terminal=false" \
  "Categories=Utility;FileTools;" "StartupWMClass=vantoro"; do
  grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
grep -q '^GenericName=.*[Ff]older' "$desktop" || fail "the generic name says nothing of folders"
grep -q '^Comment=.*folders side by side' "$desktop" || fail "the comment says nothing of folders"

# The man pages render without a warning.
for page in vantoro vantoro-compare; do
  file=$root/usr/share/man/man1/$page.1.gz
  if ! LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$file" >"$tmp/page" 2>"$tmp/warnings"; then
    fail "man -l $page.1 failed"
  fi
  [[ ! -s $tmp/warnings ]] || fail "man -l $page.1 warns: $(cat "$tmp/warnings")"
  grep -q "^NAME" "$tmp/page" || fail "$page.1 has no NAME section"
  grep -q "Vantoro $version" "$tmp/page" || fail "$page.1 does not show version $version"
  zcat "$file" | grep -q '@[A-Z_]*@' && fail "$page.1 holds an unreplaced placeholder"
done
# The escapes and the exit statuses of the report, as the page shows them.
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/usr/share/man/man1/vantoro-compare.1.gz" 2>/dev/null |
  tr -s ' \n' ' ' >"$tmp/compare-page"
for text in 'a TAB is written as \t' 'a line feed as \n' 'a carriage return as \r' \
  'a backslash as \\' '\xHH with two lowercase hexadecimal digits' '--all-files-right' \
  '--all-files-left' '--restore-equals' '--export-equals dir' '--export-not-equals dir' \
  '--version' 'Backups/folder/Backup(MM-DD-YY)/name'; do
  grep -qF -- "$text" "$tmp/compare-page" || fail "vantoro-compare.1 lacks: $text"
done

# The icons: the SVG, and PNGs of their nominal sizes.
svg=$root/usr/share/icons/hicolor/scalable/apps/vantoro.svg
grep -q '<svg ' "$svg" || fail "vantoro.svg is no SVG"
for size in "${sizes[@]}"; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/vantoro.png
  magic=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
  [[ $magic == 89504e470d0a1a0a ]] || fail "$png is no PNG"
  # IHDR: width and height, 4 bytes each, big-endian, from byte 16.
  width=$((16#$(od -An -tx1 -j16 -N4 "$png" | tr -d ' \n')))
  height=$((16#$(od -An -tx1 -j20 -N4 "$png" | tr -d ' \n')))
  [[ $width == "$size" && $height == "$size" ]] || fail "$png is ${width}x${height}"
done
# Drawn, not blank: the larger icons carry more than a few bytes of picture.
[[ $(stat -c %s "$root/usr/share/icons/hicolor/256x256/apps/vantoro.png") -gt 2000 ]] ||
  fail "the 256 px icon is nearly empty"

# The installed report says the project version.
[[ "$("$root/usr/bin/vantoro-compare" --version)" == "vantoro-compare $version" ]] ||
  fail "vantoro-compare --version does not say $version"

# The metainfo's release is the project version.
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo's release is not $version"

# The installed launcher starts the installed program (a fake in its place)
# in the data folder.
cat >"$root/usr/libexec/vantoro/vantoro" <<'EOF'
#!/bin/sh
pwd -P >"$RECORD"
EOF
env -i PATH="$PATH" RECORD="$tmp/record" XDG_DATA_HOME="$tmp/data" "$root/usr/bin/vantoro" ||
  fail "the installed launcher failed"
[[ $(cat "$tmp/record" 2>/dev/null) == "$(readlink -f "$tmp/data")/vantoro" ]] ||
  fail "the installed launcher did not start the installed program in the data folder"

if ((failures > 0)); then
  echo "$failures failed" >&2
  exit 1
fi
echo "install: all checks passed"
