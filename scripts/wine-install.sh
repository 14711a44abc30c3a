#!/usr/bin/env bash
# Installs Wine from Debian 12 the way a user would, for scripts/wine-smoke.sh (sourced by it, or run
# on its own: `scripts/wine-install.sh`, `scripts/wine-install.sh 64`).
#
#   32-bit Wine: dpkg --add-architecture i386; apt-get update; apt-get install wine wine32:i386 and the
#   i386 GL and X libraries it only recommends. i386 libraries must be the very versions of the amd64
#   ones installed, so apt upgrades those amd64 packages to the current Debian 12 point release as it
#   goes (some fifty on a fresh machine). While the archive syncs, the i386 index can be out of step
#   with amd64 ("File has unexpected size", "Mirror sync in progress", unmet dependencies): the update
#   and install are retried.
#   64-bit Wine (the fallback): wine and wine64 with their amd64 libraries, no i386 at all.
#
# wine_install 32|64 returns 0 when installed; otherwise it sets $wine_reason and returns 2 when the
# packages cannot be had here at all (no root, no answer from the package servers) and 1 when apt
# answered but the install failed.
#
# Callers run under `set -o pipefail`, so no command's output is piped into one that may stop reading
# early (grep -q, head): the writer would die of SIGPIPE and the pipeline fail although the answer was
# found. Output is read into a variable first and then looked at.
wine_packages_32=(wine wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libx11-6:i386
                  libxext6:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxfixes3:i386
                  libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386 libfreetype6:i386 libfontconfig1:i386)
wine_packages_64=(wine wine64 libgl1:amd64 libglx-mesa0:amd64 libgl1-mesa-dri:amd64 libx11-6:amd64
                  libxext6:amd64 libxrender1:amd64 libxrandr2:amd64 libxi6:amd64 libxcursor1:amd64 libxfixes3:amd64
                  libxinerama1:amd64 libxcomposite1:amd64 libxxf86vm1:amd64 libfreetype6:amd64 libfontconfig1:amd64)
wine_reason=
network_errors='Could not resolve\|Temporary failure resolving\|Could not connect\|Connection timed out\|Network is unreachable'

first_line() {  # first_line PATTERN FILE: the first line of FILE matching PATTERN, at most 200 characters
  local line
  line=$(grep -m1 -e "$1" "$2")
  echo "${line:0:200}"
}

wine_candidate() {  # wine_candidate PACKAGE: whether the package index offers a version of PACKAGE
  local policy
  policy=$(apt-cache policy "$1" 2>/dev/null)
  [[ $policy == *"Candidate: "[0-9]* ]]
}

wine_installed() {  # wine_installed 32|64
  local -n list=wine_packages_$1
  local p
  for p in "${list[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || return 1
  done
}

wine_install() {  # wine_install 32|64
  local bits=$1
  local -n list=wine_packages_$bits
  wine_installed "$bits" && return 0
  local sudo=
  if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null || { wine_reason="Wine is not installed and there is no root or sudo to install it"; return 2; }
    sudo="sudo -n"
  fi
  [ "$(dpkg --print-architecture)" = amd64 ] || { wine_reason="Wine is installed here only on amd64 hosts"; return 2; }
  local foreign
  foreign=$(dpkg --print-foreign-architectures)
  if [ "$bits" = 32 ] && ! [[ $'\n'$foreign$'\n' == *$'\n'i386$'\n'* ]]; then
    $sudo dpkg --add-architecture i386 || { wine_reason="dpkg --add-architecture i386 failed"; return 1; }
  fi
  # Other apt runs on the machine are waited for, not failed on.
  local apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q)
  local log attempt probe=${list[1]}
  [ "$bits" = 64 ] && probe=wine64
  log=$(mktemp)
  for attempt in 1 2 3 4; do
    [ "$attempt" -gt 1 ] && sleep $((attempt * 15))
    echo "wine-install: $bits-bit Wine, attempt $attempt: apt-get update"
    timeout 600 "${apt[@]}" update >"$log" 2>&1
    if ! wine_candidate "$probe"; then
      if grep -q "$network_errors" "$log" && ! grep -q 'unexpected size\|Hash Sum mismatch\|sync in progress' "$log"; then
        wine_reason="no answer from the package servers: $(first_line "$network_errors" "$log")"
      else
        wine_reason="the package index has no $probe: $(first_line 'unexpected size\|Hash Sum\|sync\|^E: ' "$log")"
      fi
      continue
    fi
    echo "wine-install: apt-get install ${list[*]}"
    if timeout 900 "${apt[@]}" install -y --no-install-recommends "${list[@]}" >"$log" 2>&1 && wine_installed "$bits"; then
      grep -m1 'upgraded, .* newly installed' "$log" | sed 's/^/wine-install: /'
      rm -f "$log"
      return 0
    fi
    if grep -q "$network_errors" "$log"; then
      wine_reason="no answer from the package servers: $(first_line "$network_errors" "$log")"
    else
      wine_reason="apt-get install failed: $(first_line '^E: \|but it is not\|but .* is to be installed' "$log")"
    fi
  done
  sed 's/^/wine-install: apt: /' "$log" | tail -n 15
  rm -f "$log"
  case "$wine_reason" in
    "no answer"*) return 2 ;;
    *) return 1 ;;
  esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  start=$SECONDS
  wine_install "${1:-32}"
  code=$?
  [ $code = 0 ] && echo "wine-install: ${1:-32}-bit Wine installed ($((SECONDS - start)) s)" || echo "wine-install: $wine_reason"
  exit $code
fi
