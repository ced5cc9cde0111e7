#!/usr/bin/env bash
# Pictures of the rules page and the rule tester in both languages, taken on a
# virtual display. Usage: tools/rules-screenshots.sh [OUTDIR]  (default build/screens)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screens}
tools/install-deps.sh test screens
mkdir -p "$out"
cmake --build build/test --target tm_rules_screens >/dev/null
launcher=build/test/bin/tm_rules_screens
export ASAN_OPTIONS=detect_leaks=0
for lang in ru en; do
  xvfb-run -a -s "-screen 0 1400x1000x24 -dpi 96" env QT_QPA_PLATFORM=xcb "$launcher" "$out" "$lang"
done
ls "$out"
