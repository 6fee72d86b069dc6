#!/usr/bin/env bash
# The Debian package built by cpack: its name and control fields, its
# dependencies (computed ones and the two programs Vantoro runs), and its
# files, which are exactly those of an install into /usr, owned by root. It
# has no maintainer scripts and no conffiles, so removing it leaves nothing
# but what users made themselves.
#
#   package_test.sh BUILD_DIR PROJECT_VERSION
set -uo pipefail

build=$1
version=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/log" 2>&1; then
  cat "$tmp/log" >&2
  echo "FAIL: cpack -G DEB" >&2
  exit 1
fi
deb=$tmp/out/vantoro_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $deb ]]; then
  echo "FAIL: no $deb; cpack made: $(ls "$tmp/out")" >&2
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == vantoro ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ -n $(field Maintainer) && -n $(field Description) ]] || fail "no Maintainer or Description"
depends=$(field Depends)
for dependency in diffutils xdg-utils libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 \
  libqt6svg6; do
  [[ ", $depends," == *", $dependency"[\ ,]* ]] || fail "Depends lacks $dependency: $depends"
done

# Only the control file and the checksums: no scripts, no conffiles.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort >"$tmp/control"
printf 'control\nmd5sums\n' >"$tmp/control-expected"
diff -u "$tmp/control-expected" "$tmp/control" >&2 || fail "unexpected control files"

# The same files as an install into /usr, with the same modes, owned by root.
DESTDIR=$tmp/root cmake --install "$build" --prefix /usr >/dev/null 2>&1 || fail "cmake --install"
(cd "$tmp/root" && find . ! -type d -printf '%m %P\n' | sort) >"$tmp/installed"
dpkg-deb --fsys-tarfile "$deb" | tar -tv --numeric-owner |
  awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3 >"$tmp/listing"
awk '{ print $3 }' "$tmp/listing" | sed 's|^\./||' | sort >"$tmp/packaged-paths"
awk '{ print $2 }' "$tmp/installed" | sort >"$tmp/installed-paths"
diff -u "$tmp/installed-paths" "$tmp/packaged-paths" >&2 || fail "the package's files are not the install's"
awk '$2 != "0/0" { print }' "$tmp/listing" | grep . >&2 && fail "files not owned by root"
while read -r mode path; do
  want=$([[ $mode == 755 ]] && echo -rwxr-xr-x || echo -rw-r--r--)
  got=$(awk -v p="./$path" '$3 == p { print $1 }' "$tmp/listing")
  [[ $got == "$want" ]] || fail "$path is $got in the package, not $want"
done <"$tmp/installed"

# The programs are stripped.
dpkg-deb -x "$deb" "$tmp/unpacked"
for program in usr/bin/vantoro-compare usr/libexec/vantoro/vantoro; do
  file "$tmp/unpacked/$program" | grep -q ', stripped' || fail "$program is not stripped"
done

if ((failures > 0)); then
  echo "$failures failed" >&2
  exit 1
fi
echo "package: $(stat -c %s "$deb") bytes, Installed-Size $(field Installed-Size) KiB"
