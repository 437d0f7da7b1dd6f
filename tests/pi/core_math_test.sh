#!/usr/bin/env bash
# The core's arithmetic may depend on nothing whose result differs between C libraries: no
# transcendental function of the math library is referenced by any core archive (sqrt is allowed:
# IEEE-754 rounds it correctly, and the call only stands behind the inline instruction for errno).
#   core_math_test.sh NM ARCHIVE...
set -u
nm=$1
shift
functions='sin|cos|tan|sincos|asin|acos|atan|atan2|sinh|cosh|tanh|exp|exp2|expm1|log|log2|log10|log1p|pow|cbrt|hypot|erf|erfc|lgamma|tgamma'
found=$("$nm" -u "$@" | awk '{ print $NF }' | sed 's/@.*//' | grep -Ex "_?($functions)[fl]?" | sort -u)
if [ -n "$found" ]; then
  echo "FAIL: the core calls the C library's $(echo $found)"
  exit 1
fi
echo "core math: 1 passed, 0 failed ($# archives, no transcendental function of the C library)"
