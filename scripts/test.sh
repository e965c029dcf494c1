#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds the readers of stored
# files with AddressSanitizer and UndefinedBehaviorSanitizer and runs their tests again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300)
scripts/build.sh build-asan -DMURALTO_SANITIZE=ON -DMURALTO_BENCH=OFF
(cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2 --timeout 600)
