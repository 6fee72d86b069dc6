#!/usr/bin/env bash
# The launcher chooses the per-user data folder, creates it and starts the
# program there. A fake program in the program's place records the folder it
# was started in and its arguments.
#
#   launcher_test.sh INSTALLED_LAUNCHER BUILD_TREE_LAUNCHER
set -uo pipefail

installed=$1
build_tree=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
  echo "FAIL [$case_name]: $*" >&2
  failures=$((failures + 1))
}

# The installed layout: PREFIX/bin/vantoro and PREFIX/libexec/vantoro/vantoro.
mkdir -p "$tmp/prefix/bin" "$tmp/prefix/libexec/vantoro" "$tmp/build/launcher"
cp "$installed" "$tmp/prefix/bin/vantoro"
# The build tree's layout: BUILD/launcher/vantoro and BUILD/vantoro.
cp "$build_tree" "$tmp/build/launcher/vantoro"
fake_program() {
  cat >"$1" <<'EOF'
#!/bin/sh
{ echo "$0"; pwd -P; for word in "$@"; do printf '[%s]\n' "$word"; done; } >"$RECORD"
exit 7
EOF
  chmod 755 "$1"
}
fake_program "$tmp/prefix/libexec/vantoro/vantoro"
fake_program "$tmp/build/vantoro"
mkdir -p "$tmp/links" "$tmp/elsewhere"
ln -s "$tmp/prefix/bin/vantoro" "$tmp/links/vantoro"

# Runs a launcher from $tmp/elsewhere with only the given environment (plus
# PATH and RECORD); sets status, record and err.
run() {
  local launcher=$1
  shift
  rm -f "$tmp/record"
  (cd "$tmp/elsewhere" && env -i PATH="$PATH" RECORD="$tmp/record" "$@" "$launcher" \
    "two words" "-x" "" "*" >/dev/null 2>"$tmp/err")
  status=$?
  record=$(cat "$tmp/record" 2>/dev/null || echo "<not started>")
  err=$(cat "$tmp/err")
}

# Expects the program $3 (by its plain path) started in folder $1 (created
# or kept with mode $2) with the arguments unchanged and its status passed on.
expect_started() {
  local folder=$1 mode=$2 program=${3:-$tmp/prefix/libexec/vantoro/vantoro}
  [[ $status == 7 ]] || fail "status $status, not the program's 7 ($err)"
  local expected
  expected=$(printf '%s\n%s\n[two words]\n[-x]\n[]\n[*]' "$(readlink -f "$program")" \
    "$(readlink -f "$folder")")
  [[ $record == "$expected" ]] || fail "program ran as: $record"
  [[ -d $folder ]] || fail "no folder $folder"
  [[ $(stat -c %a "$folder") == "$mode" ]] || fail "mode $(stat -c %a "$folder"), not $mode"
  [[ -z $err ]] || fail "said: $err"
}

# Expects a refusal: status 1, a reason, and no program started.
expect_refused() {
  [[ $status == 1 ]] || fail "status $status, not 1"
  [[ $record == "<not started>" ]] || fail "the program started: $record"
  [[ $err == *vantoro:* ]] || fail "no reason given: $err"
}

home=$tmp/home
mkdir -p "$home"

case_name="XDG_DATA_HOME with missing parents and blanks"
run "$tmp/prefix/bin/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/xdg/my data"
expect_started "$tmp/xdg/my data/vantoro" 700

case_name="XDG_DATA_HOME unset: ~/.local/share"
run "$tmp/prefix/bin/vantoro" HOME="$home"
expect_started "$home/.local/share/vantoro" 700
[[ $(stat -c %a "$home/.local") != 700 ]] || fail "parents made private too"

case_name="XDG_DATA_HOME empty: ~/.local/share"
rm -rf "$home/.local"
run "$tmp/prefix/bin/vantoro" HOME="$home" XDG_DATA_HOME=
expect_started "$home/.local/share/vantoro" 700

case_name="XDG_DATA_HOME relative: ignored"
rm -rf "$home/.local"
run "$tmp/prefix/bin/vantoro" HOME="$home" XDG_DATA_HOME=relative/data
expect_started "$home/.local/share/vantoro" 700
[[ ! -e $tmp/elsewhere/relative ]] || fail "made a folder below the current one"

case_name="an existing folder keeps its mode"
mkdir -p "$tmp/kept/vantoro"
chmod 755 "$tmp/kept/vantoro"
echo '"a","b"' >"$tmp/kept/vantoro/historic.txt"
run "$tmp/prefix/bin/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/kept"
expect_started "$tmp/kept/vantoro" 755
[[ $(cat "$tmp/kept/vantoro/historic.txt") == '"a","b"' ]] || fail "the history changed"

case_name="a data folder reached through a link"
mkdir -p "$tmp/real"
ln -s "$tmp/real" "$tmp/linked"
run "$tmp/prefix/bin/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/linked"
expect_started "$tmp/real/vantoro" 700

case_name="the launcher started through a link"
run "$tmp/links/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/xdg"
expect_started "$tmp/xdg/vantoro" 700

case_name="the build tree's launcher"
run "$tmp/build/launcher/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/xdg-build"
expect_started "$tmp/xdg-build/vantoro" 700 "$tmp/build/vantoro"

case_name="the data folder's name is a file"
mkdir -p "$tmp/clash"
echo data >"$tmp/clash/vantoro"
run "$tmp/prefix/bin/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/clash"
expect_refused
[[ $(cat "$tmp/clash/vantoro") == data ]] || fail "the file changed"

case_name="no HOME and no XDG_DATA_HOME"
run "$tmp/prefix/bin/vantoro"
expect_refused

case_name="a relative HOME"
run "$tmp/prefix/bin/vantoro" HOME=home XDG_DATA_HOME=
expect_refused
[[ ! -e $tmp/elsewhere/home ]] || fail "made a folder below the current one"

case_name="the program is missing"
mkdir -p "$tmp/bare/bin"
cp "$installed" "$tmp/bare/bin/vantoro"
run "$tmp/bare/bin/vantoro" HOME="$home" XDG_DATA_HOME="$tmp/xdg"
[[ $status != 0 && $status != 7 ]] || fail "status $status for a missing program"
[[ -n $err ]] || fail "no reason given"

if ((failures > 0)); then
  echo "$failures failed" >&2
  exit 1
fi
echo "launcher: all cases passed"
