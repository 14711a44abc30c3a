#!/usr/bin/env bash
# Installs the Debian 12 packages Velmora needs that are not installed yet.
#   install-deps.sh         what building and running the program needs
#   install-deps.sh --test  also what the test suite needs
#   install-deps.sh --web   only what the browser build needs (scripts/build-web.sh)
#   install-deps.sh --browser  only the headless browser the browser test drives
set -euo pipefail

packages=(cmake g++ make pkg-config libsdl2-dev libegl-dev libopengl-dev libglu1-mesa-dev libgl1-mesa-dri
          libstb-dev libx11-dev)
case "${1:-}" in
  --test) packages+=(googletest libgtest-dev xvfb xauth xdotool libfreetype-dev libgif-dev fonts-dejavu-core) ;;
  --web) packages=(cmake make emscripten node-acorn libstb-dev python3) ;;
  --browser) packages=(chromium python3) ;;
esac

missing=()
for p in "${packages[@]}"; do
  # The native or architecture-independent package: with i386 added (32-bit Wine), a library can be
  # installed twice over.
  # Read whole before it is looked at: under pipefail, grep -q would leave dpkg-query to die of SIGPIPE.
  status=$'\n'$(dpkg-query -W -f='${Status} ${Architecture}\n' "$p" 2>/dev/null)$'\n'
  [[ $status == *$'\n'"install ok installed $(dpkg --print-architecture)"$'\n'* ||
     $status == *$'\n'"install ok installed all"$'\n'* ]] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
