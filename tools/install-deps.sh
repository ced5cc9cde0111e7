#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
# Usage: tools/install-deps.sh [build|test|bench|screens]...
set -euo pipefail

packages=(cmake g++ make pkgconf gettext ca-certificates
          qt6-base-dev qt6-declarative-dev libcurl4-openssl-dev libpcre2-dev
          libmodest-dev libxml2-dev zlib1g-dev esbuild
          libqscintilla2-qt6-dev qt6-translations-l10n)
for what in "$@"; do
  case "$what" in
    test)  packages+=(libgtest-dev libgmock-dev libcpp-httplib-dev) ;;
    screens) packages+=(xvfb imagemagick) ;;
    bench) packages+=(libgtest-dev libgmock-dev libcpp-httplib-dev libbenchmark-dev
                      python3-lxml python3-html5-parser python3.11-doc) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
# Node.js and npm bundle the query engine's script at build time; a machine may
# already have them outside Debian's packages.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm  >/dev/null 2>&1 || missing+=(npm)

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
