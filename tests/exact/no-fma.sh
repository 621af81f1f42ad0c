#!/usr/bin/env bash
# Our exact arithmetic keeps contraction off by itself: each source of src/exact, built by every compiler
# here at -O2 with FMA in the instruction set and without -ffp-contract=off, holds no fused multiply-add.
# A product and sum written plainly, built the same way, must hold one: so the flags do allow contraction
# and objdump does show it. Only on x86-64, where objdump reads the instructions the test looks for.
#
#     no-fma.sh C++-COMPILER...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $(uname -m) != x86_64 ]] || ! command -v objdump > /dev/null; then
    echo "no-fma: needs x86-64 and objdump; skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fused='vfn?m(add|sub)[0-9]'
printf 'double MulAdd(double a, double b, double c) { return a * b + c; }\n' > "$work/control.cpp"
checked=0
for compiler in "$@"; do
    command -v "$compiler" > /dev/null || continue
    flags=(-std=c++20 -O2 -march=haswell -I"$root/src" -c)
    "$compiler" "${flags[@]}" "$work/control.cpp" -o "$work/control.o"
    objdump -d "$work/control.o" | grep -Eq "$fused" ||
        { echo "no-fma: $compiler does not contract a * b + c with these flags; the check proves nothing"; exit 1; }
    for source in "$root"/src/exact/*.cpp; do
        "$compiler" "${flags[@]}" "$source" -o "$work/exact.o"
        count=$(objdump -d "$work/exact.o" | grep -Ec "$fused" || true)
        if [[ $count != 0 ]]; then
            echo "no-fma: $compiler puts $count fused multiply-adds into ${source#"$root"/}"
            exit 1
        fi
        checked=$((checked + 1))
    done
    echo "no-fma: $compiler: none in src/exact"
done
[[ $checked -gt 0 ]] || { echo "no-fma: no compiler to check with"; exit 1; }
