#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the program.
# With arguments it runs the command-line program instead: ./run.sh check --urls list.txt
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOLLMARSH_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >&2

if [ $# -gt 0 ]; then
  exec "$build/bin/tollmarsh-cli" "$@"
fi
exec "$build/bin/tollmarsh"
