#!/usr/bin/env bash
# Whether scripts/wine-install.sh finds 32-bit Wine in the package index must not depend on how much
# apt-cache prints after the line it looks for. The test command runs it under pipefail, where a check
# that stops reading early (grep -q) kills apt-cache with SIGPIPE and reads as "not in the index". A
# stand-in apt-cache prints its answer and then 128 KiB more, two hundred times over.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-install.sh"

tail=$(head -c 131072 /dev/zero | tr '\0' x)
candidate="  Candidate: 8.0~repack-4"
apt-cache() { printf '%s:\n  Installed: (none)\n%s\n  Version table:\n%s\n' "$2" "$candidate" "$tail"; }

for i in $(seq 200); do
  wine_candidate wine32:i386 || { echo "FAIL: try $i: wine32:i386 read as missing from the index"; exit 1; }
done
candidate="  Candidate: (none)"
wine_candidate wine32:i386 && { echo "FAIL: a package with no candidate read as available"; exit 1; }
echo "PASS: 200 tries found the candidate; none read as none"
