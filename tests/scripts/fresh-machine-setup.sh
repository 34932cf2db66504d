#!/usr/bin/env bash
# scripts/setup on a simulated fresh machine, in a few seconds and without the network:
# stand-ins for dpkg-query (knows no package), apt-get, sudo, locale and localedef only
# record how they were called; the font step is a stand-in too. Setup must ask apt-get to
# install every package it lists and exit 0; when apt-get fails it must exit non-zero and
# name the failing step. Finally the real font step, on a copy of fonts already built,
# must return at once without reaching for npm.
#
# Usage: fresh-machine-setup.sh SOURCE_DIR [BUILT_FONTS_DIR]
set -euo pipefail
src=$(cd "$1" && pwd)
built_fonts=${2:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/nolby-setup-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
check() { # check CONDITION-STATUS MESSAGE
  if [[ $1 -ne 0 ]]; then
    echo "FAIL: $2" >&2
    failures=$((failures + 1))
  fi
}

# The packages setup lists, read from its own array.
mapfile -t listed < <(sed -n '/^packages=(/,/^)/p' "$src/scripts/setup" | sed '1d;$d' | tr -s ' ' '\n' | sed '/^$/d')
((${#listed[@]} > 10)) || { echo "FAIL: could not read the package list of scripts/setup" >&2; exit 1; }

# A machine: the setup script beside a stand-in font step, and a PATH holding only the
# stand-ins and the plain tools the script needs (no node or npm, as on a fresh machine).
make_machine() { # make_machine DIR APT_FAILS_ON
  local dir=$1 apt_fails_on=$2
  mkdir -p "$dir/scripts" "$dir/stubs" "$dir/tools"
  cp "$src/scripts/setup" "$dir/scripts/setup"
  local log=$dir/calls.log
  : >"$log"
  cat >"$dir/scripts/fonts" <<STUB
#!/usr/bin/env bash
echo "fonts \$*" >>"$log"
STUB
  cat >"$dir/stubs/dpkg-query" <<STUB
#!/usr/bin/env bash
echo "dpkg-query \$*" >>"$log"
for a in "\$@"; do [[ \$a == -* ]] || echo "dpkg-query: no packages found matching \$a" >&2; done
exit 1
STUB
  cat >"$dir/stubs/apt-get" <<STUB
#!/usr/bin/env bash
echo "apt-get \$*" >>"$log"
[[ \$1 == "$apt_fails_on" ]] && { echo "E: simulated failure of apt-get \$1" >&2; exit 100; }
exit 0
STUB
  cat >"$dir/stubs/sudo" <<STUB
#!/usr/bin/env bash
echo "sudo \$1" >>"$log"
exec "\$@"
STUB
  cat >"$dir/stubs/locale" <<STUB
#!/usr/bin/env bash
printf 'C\nC.utf8\nPOSIX\n'
STUB
  cat >"$dir/stubs/localedef" <<STUB
#!/usr/bin/env bash
echo "localedef \$*" >>"$log"
STUB
  # Not root, so every system step goes through sudo.
  printf '#!/usr/bin/env bash\necho 1000\n' >"$dir/stubs/id"
  chmod +x "$dir/scripts/"* "$dir/stubs/"*
  local t
  for t in bash env awk grep sed dirname cat; do
    ln -s "$(type -P "$t")" "$dir/tools/$t"
  done
}

run_setup() { # run_setup DIR: sets status and output
  set +e
  output=$(env -i HOME="$1" PATH="$1/stubs:$1/tools" "$1/tools/bash" "$1/scripts/setup" 2>&1)
  status=$?
  set -e
}

# 1. Nothing installed: one install of everything, the locale, then the fonts.
m=$work/fresh
make_machine "$m" none
run_setup "$m"
check $status "setup exited $status on a fresh machine: $output"
declare -A asked=()
while read -r -a words; do
  [[ ${words[0]} == apt-get && ${words[1]} == install ]] || continue
  for w in "${words[@]:2}"; do asked[$w]=1; done
done <"$m/calls.log"
for p in "${listed[@]}"; do
  [[ -n ${asked[$p]+x} ]] || check 1 "apt-get was not asked to install $p"
done
grep -q '^apt-get update' "$m/calls.log"; check $? "apt-get update was not run before installing"
grep -q '^sudo apt-get' "$m/calls.log"; check $? "apt-get did not go through sudo for a normal user"
grep -q '^localedef -i de_DE -f UTF-8 de_DE.UTF-8' "$m/calls.log"; check $? "the de_DE.UTF-8 locale was not generated"
grep -q "^fonts $m/build/resources/Fonts\$" "$m/calls.log"; check $? "the font step did not run"
grep -q 'setup: installing' <<<"$output"; check $? "setup did not say what it installs"

# 2. apt-get failing at either step: non-zero exit, the failing step named, nothing after.
for step in update install; do
  m=$work/fails-$step
  make_machine "$m" "$step"
  run_setup "$m"
  [[ $status -ne 0 ]]; check $? "setup exited 0 although apt-get $step failed"
  grep -q "setup: apt-get $step failed" <<<"$output"; check $? "no message naming apt-get $step: $output"
  ! grep -q '^fonts' "$m/calls.log"; check $? "setup went on to the fonts after apt-get $step failed"
done

# 3. The real font step over fonts already built: done at once, npm never called.
if [[ -n $built_fonts && -f $built_fonts/.fonts-stamp ]]; then
  fonts_copy=$work/fonts
  cp -a "$built_fonts/." "$fonts_copy/" 2>/dev/null || { mkdir -p "$fonts_copy" && cp -a "$built_fonts/." "$fonts_copy/"; }
  mkdir -p "$work/npm-stub"
  printf '#!/usr/bin/env bash\necho "npm $*" >>"%s"\nexit 1\n' "$work/npm.log" >"$work/npm-stub/npm"
  chmod +x "$work/npm-stub/npm"
  set +e
  fonts_output=$(PATH="$work/npm-stub:$PATH" NOLBY_FONTS_CACHE="$work/cache" "$src/scripts/fonts" "$fonts_copy" 2>&1)
  fonts_status=$?
  set -e
  check $fonts_status "scripts/fonts failed over fonts already built: $fonts_output"
  [[ ! -e $work/npm.log ]]; check $? "scripts/fonts called npm although the fonts were built"
  [[ -z $fonts_output ]]; check $? "scripts/fonts rebuilt fonts that were up to date: $fonts_output"
else
  echo "note: no built fonts at '${built_fonts}'; the up-to-date font check was left out"
fi

if ((failures)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "fresh-machine setup: all checks passed"
