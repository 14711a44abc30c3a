#!/usr/bin/env bash
# What `cmake --install` and `cpack -G DEB` put where: the program, the desktop entry that starts it,
# the icon in three sizes, the gallery's systemd user unit, and the Debian package's paths and
# dependencies.
# usage: install_tree_test.sh <build dir>
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }
[ -x "$work/prefix/bin/velmora" ] || fail "bin/velmora is missing or not executable"

desktop=$work/prefix/share/applications/velmora.desktop
grep -qx 'Exec=velmora' "$desktop" || fail "the desktop entry does not start velmora"
grep -qx 'Icon=velmora' "$desktop" || fail "the desktop entry does not name the icon velmora"
if [ -f "$desktop" ] && command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
fi

# The gallery as a user service: restarted after a crash or a hang, but not for ever.
unit=$work/prefix/lib/systemd/user/velmora-gallery.service
for line in 'Type=notify' 'After=graphical-session.target' 'Restart=on-failure' 'ExecStart=velmora --gallery.*'; do
  grep -qx "$line" "$unit" || fail "the unit lacks $line"
done
for key in WatchdogSec StartLimitIntervalSec StartLimitBurst; do
  grep -qE "^$key=[1-9]" "$unit" || fail "the unit sets no $key"
done
if [ -f "$unit" ] && command -v systemd-analyze >/dev/null; then
  mkdir -p "$work/unit" "$work/runtime"
  sed "s|^ExecStart=velmora|ExecStart=$work/prefix/bin/velmora|" "$unit" >"$work/unit/velmora-gallery.service"
  verdict=$(XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user verify "$work/unit/velmora-gallery.service" 2>&1)
  [ -z "$verdict" ] || fail "systemd-analyze verify: $verdict"
fi

for size in 48 128 256; do
  icon=$work/prefix/share/icons/hicolor/${size}x${size}/apps/velmora.png
  [ -f "$icon" ] || { fail "the ${size}x${size} icon is missing"; continue; }
  # PNG signature, then the IHDR chunk: width and height as big-endian 32-bit numbers at 16 and 20.
  [ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$icon is not a PNG"
  dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8}')
  [ "$dims" = "$size $size" ] || fail "$icon is $dims, not $size x $size"
done

if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null; then
  (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB"; }
  deb=$(ls "$work"/package/velmora_*.deb 2>/dev/null | head -n1)
  if [ -n "$deb" ]; then
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for path in ./usr/bin/velmora ./usr/share/applications/velmora.desktop \
                ./usr/share/icons/hicolor/256x256/apps/velmora.png ./usr/lib/systemd/user/velmora-gallery.service; do
      grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    deps="libsdl2-2.0-0 libgl1 libglu1-mesa libegl1 libopengl0 libstb0 libgl1-mesa-dri"
    # libsystemd0 where the program was linked with it (built with libsystemd-dev installed).
    objdump -p "$build/velmora" 2>/dev/null | grep -q 'NEEDED.*libsystemd' && deps="$deps libsystemd0"
    for dep in $deps; do
      grep -qE "(^|, )$dep(,| |$)" <<<"$depends" || fail "the package does not depend on $dep"
    done
  else
    fail "cpack made no .deb"
  fi
fi

[ $failures = 0 ] && echo "PASS: install tree and Debian package"
exit $((failures > 0))
