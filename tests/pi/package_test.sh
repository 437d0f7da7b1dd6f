#!/usr/bin/env bash
# The Debian package and the installation, as a user gets them: builds the .deb of a native build
# directory with CPack, checks it with lintian (when installed), unpacks it with dpkg-deb -x, checks
# its copyright file and changelog, runs the unpacked programs, renders the manual pages without a
# warning, and checks what cmake --install puts under a prefix.
#
#   package_test.sh BUILD_DIR CHECKER
#
# CHECKER is pi_file_check (or "" to skip the digit check). Prints one line per failure and a count.
set -u
build=$(realpath "$1") checker=${2:+$(realpath "$2")}
source=$(cd "$(dirname "$0")/../.." && pwd)
passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }
ok() { passed=$((passed + 1)); }

case="cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || fail "$(tail -n 5 "$work/cpack.log")"
debs=("$work"/package/pi-agm_*.deb)
[ -f "${debs[0]}" ] && ok || { fail "no pi-agm_*.deb"; echo "package: $passed passed, $failed failed"; exit 1; }
deb=${debs[0]}

case="control fields"
depends=$(dpkg-deb -f "$deb" Depends) description=$(dpkg-deb -f "$deb" Description)
# Nothing at run time but the C and C++ runtime libraries.
others=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -v -E '^(libc6|libstdc\+\+6|libgcc-s1)$')
if [ -n "$others" ] || ! grep -q libc6 <<<"$depends"; then fail "Depends: $depends"
elif [ "$(wc -l <<<"$description")" -lt 2 ]; then fail "no long description: $description"
else ok; fi

# Errors, warnings and informational tags (the latter include the hardening and stripping ones) fail;
# pedantic ones are shown.
case="lintian -I --pedantic"
if command -v lintian >/dev/null; then
  lintian -I --pedantic "$deb" >"$work/lintian.log" 2>&1
  status=$?
  if [ "$status" -ne 0 ] || grep -qE '^[EWI]: ' "$work/lintian.log"; then
    fail "status $status: $(cat "$work/lintian.log")"
  else
    ok
    grep -E '^[A-Z]: ' "$work/lintian.log"
  fi
else
  echo "skip [$case]: lintian is not installed"
fi

case="files"
dpkg-deb -x "$deb" "$work/root"
doc=$work/root/usr/share/doc/pi-agm
for file in usr/bin/mevroc usr/bin/sudel usr/share/man/man1/mevroc.1.gz usr/share/man/man1/sudel.1.gz \
            usr/share/doc/pi-agm/{README.md,copyright,changelog.gz}; do
  [ -f "$work/root/$file" ] || fail "missing /$file"
done
[ "$failed" -eq 0 ] && ok

case="licence and changelog"
# The copyright file's licence paragraph is LICENSE's text after the copyright line, indented.
sed '1,/^Copyright /d' "$source/LICENSE" | sed '1{/^$/d}' >"$work/terms.expected"
sed '1,/^License: Expat$/d; s/^ //; s/^\.$//' "$doc/copyright" >"$work/terms.shipped"
diff "$work/terms.expected" "$work/terms.shipped" >"$work/terms.diff" || fail "licence terms: $(cat "$work/terms.diff")"
holders=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
grep -qxF "Copyright: $holders" "$doc/copyright" || fail "no 'Copyright: $holders'"
latest=$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version 2>&1) version=$(dpkg-deb -f "$deb" Version)
[ "$latest" = "$version" ] || fail "latest changelog entry $latest, package $version"
[ "$failed" -eq 0 ] && ok

case="unpacked programs run"
for program in mevroc sudel; do
  mkdir -p "$work/run/$program"
  version=$("$work/root/usr/bin/$program" --version) || fail "$program --version: status $?"
  [[ "$version" == "$program (pi-agm) "* ]] || fail "$program --version: $version"
  (cd "$work/run/$program" && "$work/root/usr/bin/$program" --quiet 4K) || fail "$program 4K: status $?"
  [ -z "$checker" ] || "$checker" "$work/run/$program/pi.txt" 4096 >/dev/null || fail "$program: wrong digits"
done
[ "$failed" -eq 0 ] && ok

case="manual pages render without warnings"
for page in "$work"/root/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -ww -man -Tutf8 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "groff on $(basename "$page"): $warnings"
  if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $(basename "$page"): $warnings"
  fi
  zcat "$page" | groff -man -Tutf8 2>/dev/null | sed 's/.\x08//g' | grep -q 'repeat N' || fail "$(basename "$page") lacks --repeat"
done
[ "$failed" -eq 0 ] && ok

case="cmake --install"
cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "status $?"
for file in bin/mevroc bin/sudel share/man/man1/mevroc.1.gz share/man/man1/sudel.1.gz \
            share/doc/pi-agm/{README.md,copyright,changelog.gz}; do
  [ -f "$work/prefix/$file" ] || fail "missing $file"
done
[ "$failed" -eq 0 ] && ok

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
