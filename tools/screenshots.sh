#!/usr/bin/env bash
# Pictures of the real window: the three pages in Russian and in English, under
# a virtual X server, over a prepared folder with a few rule sets and proxies.
# Writes docs/images/<page>-<lang>.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh build

need=()
for p in xvfb imagemagick fonts-dejavu-core; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

build=build/screenshots
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOLLMARSH_BUILD_TESTS=OFF \
      -DTOLLMARSH_BUILD_SCREENSHOTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target tm_screenshot_driver >/dev/null

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The prepared folder: catalogues, settings, two rule sets, three proxies.
ln -s "$root/$build/bin/locale" "$work/locale"
printf '\xef\xbb\xbf[\r\n  {"name": "Titles", "rules": [{"name": "Title", "query": "//title", "attr": "", "qtype": 0, "etype": 0}]},\r\n  {"name": "Links", "rules": []}\r\n]\r\n' > "$work/Tollmarsh.json"
printf '\xef\xbb\xbf[\r\n  {"host": "192.0.2.10", "port": 3128, "userandpsw": ""},\r\n  {"host": "192.0.2.11", "port": 8080, "userandpsw": "user:secret"},\r\n  {"host": "proxy.example", "port": 80, "userandpsw": ""}\r\n]\r\n' > "$work/proxies.json"

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

mkdir -p docs/images
# One start per language: the news page keeps the language of its start.
for lang in ru en; do
  printf '[PARAMS]\nlang=%s\nmax-threads=3\nreq-predelay=2000\nruleset-ndx=0\n' "$lang" > "$work/Tollmarsh.ini"
  coproc DRIVER { DISPLAY=$display QT_QPA_PLATFORM=xcb "$root/$build/bin/tm_screenshot_driver" "$work" 2>/dev/null; }
  while read -r word name x y w h <&"${DRIVER[0]}"; do
    [ "$word" = READY ] || continue
    DISPLAY=$display import -window root -crop "${w}x${h}+${x}+${y}" +repage "docs/images/$name.png"
    echo "docs/images/$name.png"
    echo >&"${DRIVER[1]}"
  done
  if [ -n "${DRIVER_PID:-}" ]; then wait "$DRIVER_PID" || true; fi
done
