#!/usr/bin/env bash
# The Windows package as a user gets it: builds the zip of a Windows build directory with CPack,
# unpacks it, checks its files and licence, and reads back under Wine what Explorer's Properties and
# the Windows loader read from each program: its version information and its application manifest.
#
#   windows_package_test.sh BUILD_DIR GUI_TEST_DRIVER.EXE VERSION
#
# VERSION is the project's version (major.minor.patch). Prints one line per failure and a count.
set -u
build=$(realpath "$1") driver=$(realpath "$2") version=$3
source=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$source/scripts/wine-run
passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }
ok() { passed=$((passed + 1)); }

case="cpack -G ZIP"
zip=$work/package/pi-agm-$version-win64.zip
(cd "$build" && cpack -G ZIP -B "$work/package" >"$work/cpack.log" 2>&1) || fail "$(tail -n 5 "$work/cpack.log")"
if [ ! -f "$zip" ]; then
  fail "no $(basename "$zip")"
  echo "windows package: $passed passed, $failed failed"
  exit 1
fi
ok

case="files"
files=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
[ "$files" = "LICENSE.txt MINGW-W64-NOTICES.txt mevroc.exe mevrow.exe readme.txt sudel.exe sudelw.exe " ] && ok \
  || fail "$files"
mkdir "$work/root" && (cd "$work/root" && cmake -E tar xf "$zip")

case="LICENSE.txt"
# LICENSE with every line ended by CR LF.
if ! tr -d '\r' <"$work/root/LICENSE.txt" | cmp -s - "$source/LICENSE"; then fail "differs from LICENSE"
elif grep -q $'[^\r]$\|^$' "$work/root/LICENSE.txt"; then fail "a line without CR LF"
else ok; fi

case="MINGW-W64-NOTICES.txt"
# The notices of the runtime linked into every program, among them winpthreads'.
if ! tr -d '\r' <"$work/root/MINGW-W64-NOTICES.txt" | cmp -s - /usr/share/doc/mingw-w64-common/copyright; then
  fail "differs from mingw-w64-common's copyright file"
elif ! grep -q 'winpthreads' "$work/root/MINGW-W64-NOTICES.txt"; then fail "no notice of winpthreads"
else ok; fi

case="version information"
copyright=$(grep '^Copyright ' "$source/LICENSE")
# program, translation (language, code page 1200: UTF-16), description
while IFS='|' read -r program translation description; do
  expected="fixed FileVersion $version.0
fixed ProductVersion $version.0
translation $translation
FileDescription $description
FileVersion $version
InternalName $program
LegalCopyright $copyright
OriginalFilename $program.exe
ProductName pi-agm
ProductVersion $version"
  actual=$(cd "$work/root" && "$wine_run" "$driver" version-info "$program.exe" 2>&1)
  [ "$actual" = "$expected" ] || fail "$program.exe: $(diff <(echo "$expected") <(echo "$actual"))"
done <<'TABLE'
mevroc|040904b0|pi by the AGM, iterating on a and b (console)
sudel|040904b0|pi by the AGM, iterating on the squares of a and b (console)
mevrow|041104b0|AGM法による円周率計算 (a と b で反復)
sudelw|041104b0|AGM法による円周率計算 (a と b の平方で反復)
TABLE
[ "$failed" -eq 0 ] && ok

case="manifest"
# Well-formed XML that asks for no elevation, names Windows 7, 8, 8.1 and 10/11 (in this order) and
# declares no DPI awareness.
expected="asInvoker
{35138b9a-5d96-4fbd-8e2d-a2440225f93a}
{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}
{1f676c76-80e1-4239-95bb-83d0f6d0da78}
{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}
no DPI awareness"
for program in mevroc sudel mevrow sudelw; do
  actual=$(cd "$work/root" && "$wine_run" "$driver" manifest "$program.exe" | python3 -c '
import sys, xml.etree.ElementTree as tree
root = tree.fromstring(sys.stdin.buffer.read())
level = root.find(".//{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")
print(level.get("level") if level is not None else "no execution level")
for entry in root.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS"):
    print(entry.get("Id"))
print("DPI awareness declared" if any("dpiAware" in e.tag for e in root.iter()) else "no DPI awareness")
' 2>&1)
  [ "$actual" = "$expected" ] || fail "$program.exe: $(diff <(echo "$expected") <(echo "$actual"))"
done
[ "$failed" -eq 0 ] && ok

echo "windows package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
