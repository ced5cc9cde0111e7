#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the program.
# With arguments it runs the command-line program instead: ./run.sh check --urls list.txt
# Only the program writes to standard output (a report can be piped); the rest goes to stderr.
set -euo pipefail
caller_dir=$PWD
cd "$(dirname "$0")"
root=$PWD
tools/install-deps.sh >&2

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOLLMARSH_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >&2

# Relative file names in the arguments are the caller's.
cd "$caller_dir"
if [ $# -gt 0 ]; then
  exec "$root/$build/bin/tollmarsh-cli" "$@"
fi
exec "$root/$build/bin/tollmarsh"
