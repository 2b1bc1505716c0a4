#!/usr/bin/env bash
# Builds the libFuzzer targets into build/fuzz with clang, ASan and UBSan.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root/fuzz" -B "$root/build/fuzz" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++
cmake --build "$root/build/fuzz" -j2
