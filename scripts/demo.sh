#!/usr/bin/env bash
# Installs what is needed, builds, and opens the sandbox build on the bundled sample PPDs.
# The sandbox installs into build/demo/volume instead of the system folder. Its system
# folder starts with one identical and one older copy of the samples, so one press of
# "Install PPDs" shows every section of the report. Without a display it runs under Xvfb,
# saves a screenshot and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp build/src/app/ppd-installer-sandbox build/helper/ppd-installer-helper "$demo/"
cp -r PPDs "$demo/PPDs"
samples=("$demo"/PPDs/*)

# The privileged helper copies only into a PPD folder that nobody but root can change, so
# for a normal user the demo's volume is a root-owned folder that "volume" links to.
if [ "$(id -u)" -eq 0 ]; then
  volume="$demo/volume"
  as_root=()
else
  volume=/tmp/ppd-installer-demo-volume
  as_root=(sudo)
  ln -s "$volume" "$demo/volume"
fi
system="$volume/Library/Printers/PPDs/Contents/Resources/en.lproj"
"${as_root[@]}" rm -rf "$volume"
"${as_root[@]}" mkdir -p "$system"
"${as_root[@]}" cp -p "${samples[0]}" "$system/"
{ head -n 5 "${samples[1]}"; echo '*% An older version.'; } |
  "${as_root[@]}" tee "$system/$(basename "${samples[1]}")" >/dev/null

if [ -n "${DISPLAY:-}" ]; then
  exec "$demo/ppd-installer-sandbox"
fi

read -r -a xvfb_display < <(
  exec 3>&1
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! >"$demo/xvfb.pid"
)
export DISPLAY=":${xvfb_display[0]}" QT_QPA_PLATFORM=xcb
trap 'kill "$(cat "$demo/xvfb.pid")" 2>/dev/null || true' EXIT
"$demo/ppd-installer-sandbox" &
app=$!
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^PPD installer$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
sleep 1
xdotool windowfocus --sync "$window" key Return 2>/dev/null || true
sleep 2
import -window "$window" "$demo/screenshot.png"
kill "$app" 2>/dev/null || true
echo "No display: ran under Xvfb. Screenshot: $(realpath "$demo/screenshot.png")"
