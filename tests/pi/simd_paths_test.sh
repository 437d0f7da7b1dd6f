#!/usr/bin/env bash
# A console program writes the same pi.txt on every vector path this processor has, on two threads as
# on one, and the same as REFERENCE (the native build of the program, when this is the Windows build; the Windows programs
# write text-mode line ends, CR LF, so carriage returns are left out of the comparison). A value of
# PI_AGM_SIMD that names no path is refused before the prompt, with a non-zero status and pi.txt
# untouched.
#
#   simd_paths_test.sh PROGRAM REFERENCE [RUNNER...]     (REFERENCE may be "")
set -u
program=$(realpath "$1") reference=${2:+$(realpath "$2")}
shift 2
runner=("$@")
sizes=(16384 65536 262144)

passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# digest PATH D [COMMAND...]: md5 of the pi.txt that COMMAND writes for D digits with PI_AGM_SIMD=PATH,
# "refused" when the program ends with a non-zero status.
digest() {
  local path=$1 D=$2 dir
  shift 2
  dir=$(mktemp -d "$work/run.XXXX")
  (cd "$dir" && printf '%s\n' "$D" | PI_AGM_SIMD=$path "$@" >stdout 2>&1) || { echo refused; return; }
  tr -d '\r' <"$dir/pi.txt" | md5sum | cut -d' ' -f1
}

for D in "${sizes[@]}"; do
  expected=$(digest sse2 "$D" "${runner[@]}" "$program")
  [ "$expected" != refused ] || { fail "sse2 refused at $D digits"; continue; }
  for path in avx2 avx512; do
    got=$(digest "$path" "$D" "${runner[@]}" "$program")
    if [ "$got" = refused ]; then
      echo "path $path: not available here, not compared"
    elif [ "$got" = "$expected" ]; then passed=$((passed + 1))
    else fail "$D digits: pi.txt on $path differs from sse2"; fi
  done
  if [ -n "$reference" ]; then
    got=$(digest "" "$D" "$reference")
    [ "$got" = "$expected" ] && passed=$((passed + 1)) || fail "$D digits: pi.txt differs from the reference build"
  fi
done

# One computation on two threads writes the pi.txt of one thread (and of the reference build).
expected=$(digest sse2 262144 "${runner[@]}" "$program")
got=$(digest "" 262144 "${runner[@]}" "$program" --threads 2)
if [ "$got" = refused ]; then
  echo "--threads 2: refused here (fewer than two CPUs), not compared"
elif [ "$got" = "$expected" ]; then passed=$((passed + 1))
else fail "262144 digits: pi.txt on two threads differs from one thread's"; fi

for bad in avx AVX2 sse4; do
  dir=$(mktemp -d "$work/bad.XXXX")
  printf 'an earlier result\n' >"$dir/pi.txt"
  (cd "$dir" && printf '16384\n' | PI_AGM_SIMD=$bad "${runner[@]}" "$program" >stdout 2>&1)
  status=$?
  line=$(tr -d '\r' <"$dir/stdout")
  if [ "$status" -ne 0 ] && [[ "$line" == "PI_AGM_SIMD=$bad refused: "* ]] &&
     [ "$(cat "$dir/pi.txt")" = "an earlier result" ]; then passed=$((passed + 1))
  else fail "PI_AGM_SIMD=$bad: status $status, output: $line"; fi
done

echo "vector paths: $passed passed, $failed failed"
exit $((failed > 0))
