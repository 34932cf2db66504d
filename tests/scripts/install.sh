#!/usr/bin/env bash
# scripts/install into a scratch prefix (beside a desktop entry of another program): the
# desktop entry passes desktop-file-validate and names the installed command, the icon is in
# the hicolor theme, the entry's Exec runs the installed app, which finds its fonts, prompts and
# the gateway it starts beside it and writes a lesson; scripts/uninstall then leaves the prefix
# exactly as it was.
#
# Usage: install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
if [[ $build != "$src/build" ]]; then
  echo "skipped: scripts/install builds in $src/build, and this build is $build"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/nolby-install-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
check() { # check STATUS MESSAGE
  if [[ $1 -ne 0 ]]; then
    echo "FAIL: $2" >&2
    failures=$((failures + 1))
  fi
}

prefix="$work/prefix with space"
mkdir -p "$prefix/share/applications"
echo "[Desktop Entry]" >"$prefix/share/applications/other.desktop"
before=$(cd "$prefix" && find . | sort)

"$src/scripts/install" "$prefix" >"$work/install.log" 2>&1
check $? "scripts/install failed: $(cat "$work/install.log")"

entry="$prefix/share/applications/nolby.desktop"
desktop-file-validate "$entry"
check $? "desktop-file-validate rejected the installed entry"
exec_line=$(grep -m1 '^Exec=' "$entry")
[[ $exec_line == "Exec=\"$prefix/bin/nolby\"" ]]
check $? "the entry's Exec is not the installed command: $exec_line"
grep -qx "Exec=\"$prefix/bin/nolby\" --learn" "$entry"
check $? "the Learn action does not run the installed command with --learn"
grep -qx 'Icon=nolby' "$entry"
check $? "the entry's icon is not the theme's nolby"
[[ -s $prefix/share/icons/hicolor/scalable/apps/nolby.svg ]]
check $? "no icon in the hicolor theme"
for program in nolby nolby-gateway nolby-ink; do
  [[ -x $prefix/bin/$program ]]
  check $? "$program is not installed in bin/"
done

# The entry's Exec, as a launcher runs it (its one quoted word), begins a lesson headless: the
# installed app starts the installed gateway and writes the tutor's reply.
command=${exec_line#Exec=}
command=${command#\"}
command=${command%\"}
home="$work/home"
mkdir -p "$home/data" "$home/config" "$home/runtime"
chmod 700 "$home/runtime"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
set +e
env -u NOLBY_API -u ANTHROPIC_API_KEY -u NOLBY_RESOURCES HOME="$home" XDG_DATA_HOME="$home/data" \
  XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
  timeout 120 "$command" --learn "What is a fraction?" -gateway-at "http://127.0.0.1:$port/" \
  -screenshot "$work/lesson.png" >"$work/app.log" 2>&1
status=$?
set -e
check $status "the installed app ended with $status: $(cat "$work/app.log")"
[[ -s $work/lesson.png ]]
check $? "the installed app wrote no lesson"
grep -q '"block"' "$home"/data/app.nolby.Nolby/Notebooks/*.json 2>/dev/null
check $? "the lesson holds no reply of the tutor"

"$src/scripts/uninstall" "$prefix" >"$work/uninstall.log" 2>&1
check $? "scripts/uninstall failed: $(cat "$work/uninstall.log")"
after=$(cd "$prefix" && find . | sort)
[[ $after == "$before" ]]
check $? "the prefix is not as it was: $(diff <(echo "$before") <(echo "$after"))"

if ((failures)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install: all checks passed"
