#!/usr/bin/env bash
# Builds the Debian package and checks it as a user meets it: lintian with nothing to say, the
# hardening of every program, its file list and metadata, every program run from an unpacked copy
# without a display, and the console under Xvfb as an ordinary user, installed (files in
# $XDG_DATA_HOME/velmora) and copied to a folder of its own (files beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PACKAGE_BUILD:-build-package}

make package PACKAGE_BUILD="$build" CMAKE_FLAGS="${CMAKE_FLAGS:-}"
deb=$(ls "$build"/*.deb)
work=$(mktemp -d)
chmod 755 "$work"
peer=""
cleanup() {
  [ -n "$peer" ] && kill "$peer" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}
pass() { echo "check-package: ok: $*"; }

echo "== $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb -f "$deb" Package Version Section Depends Recommends

# lintian, down to its informational tags (the hardening ones among them): not a word. Where a tag
# is answered by an override, the override file says why.
lint=$(lintian --allow-root --no-cfg --display-info --fail-on error,warning "$deb" 2>&1) || fail "lintian: $lint"
[ -z "$lint" ] || fail "lintian: $lint"
pass "lintian has nothing to say, informational tags included"

root=$work/root
dpkg -x "$deb" "$root"
# Every program of the package is named by the metainfo of its menu entry.
mapfile -t programs < <(sed -n 's|^ *<binary>\(.*\)</binary>$|\1|p' "$root"/usr/share/metainfo/*.metainfo.xml)
for p in vorlanix Kestwold vorlanix-rcon; do
  [[ " ${programs[*]} " == *" $p "* ]] || fail "no metainfo names $p among the binaries it provides"
done

# Each program hardened as Debian builds its own: lintian saw PIE, read-only relocations bound at
# start and fortified string functions; the stack protector it does not look for.
for p in "${programs[@]}"; do
  [[ $(readelf --dyn-syms -W "$root/usr/bin/$p") == *" __stack_chk_fail@"* ]] || fail "$p has no stack protector"
done
pass "${programs[*]}: stack protector"

# The file list.
dpkg -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
expected=(/usr/share/velmora/commands.txt /usr/share/velmora/variables.txt
  /usr/lib/systemd/system/kestwold@.service
  /usr/share/doc/velmora-tarnwick/copyright /usr/share/doc/velmora-tarnwick/changelog.Debian.gz)
for p in "${programs[@]}"; do expected+=("/usr/bin/$p" "/usr/share/man/man1/$p.1.gz"); done
for id in example.velmora.vorlanix example.velmora.kestwold; do
  expected+=("/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$id.svg")
  for size in 16 22 24 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$id.png"); done
done
for lamp in stopped listening; do
  expected+=("/usr/share/icons/hicolor/scalable/status/example.velmora.kestwold-$lamp.svg")
done
for f in "${expected[@]}"; do grep -qx "$f" "$work/files" || fail "the package lacks $f"; done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6network6 qt6-qpa-plugins; do
  [[ $depends == *"$d"* ]] || fail "Depends lacks $d: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *xdg-utils* ]] || fail "Recommends lacks xdg-utils"
pass "${#expected[@]} files in place; Depends names the Qt libraries, Recommends xdg-utils"

# Unpacked, run without a display: each program answers --help and --version, and a mistake on
# the line is refused with status 2 before any window is tried.
version=$(dpkg-deb -f "$deb" Version)
version=${version%-*}
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for p in "${programs[@]}"; do
  out=$("${nodisplay[@]}" timeout 20 "$root/usr/bin/$p" --version) || fail "$p --version exited $?"
  [ "$out" = "$p $version" ] || fail "$p --version printed '$out'"
  out=$("${nodisplay[@]}" timeout 20 "$root/usr/bin/$p" --help) || fail "$p --help exited $?"
  [[ $out == *--version* ]] || fail "$p --help printed '$out'"
done
for p in vorlanix Kestwold; do
  status=0
  out=$("${nodisplay[@]}" timeout 20 "$root/usr/bin/$p" --bogus 2>&1) || status=$?
  [ "$status" -eq 2 ] && [[ $out == *"Unknown option 'bogus'."* ]] || fail "$p --bogus: status $status, '$out'"
done
pass "${programs[*]}: --version ($version) and --help without a display; vorlanix and Kestwold refuse --bogus"

scripts/validate-metadata.sh "$root/usr/share/applications" "$root/usr/share/metainfo" || fail "metadata"
pass "desktop-file-validate and appstreamcli validate"

# The console under Xvfb as an ordinary user. CI runs as root, for whom every folder is writable.
if [ "$(id -u)" -eq 0 ]; then
  user=vorlanix-check
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  as_user() { runuser -u "$user" -- "$@"; }
else
  user=$(id -un)
  chmod -R a-w "$root/usr/bin"
  as_user() { "$@"; }
fi
chown "$user" "$work"

# A game server stand-in: answers every datagram with one print reply.
python3 -c '
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0))
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
while True:
    data, peer = s.recvfrom(65536)
    s.sendto(b"\xff\xff\xff\xffprint\nhello from the loopback peer\n", peer)
' "$work/port" &
peer=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")

# Runs one console with logging on; F5 asks for the status, Ctrl+D opens the log through the File
# menu (a stand-in editor records the path), Ctrl+Q ends it. $1: executable, $2: home of the run.
drive() {
  local exe=$1 home=$2
  as_user mkdir -p "$home/config/velmora" "$home/bin"
  as_user sh -c "cat >'$home/config/velmora/velmora.ini'" <<EOF
[vorlanix]
Settings\\EnableLogging=True
Ports\\0=$port
Servers\\0=127.0.0.1
Settings\\Password=pw
Settings\\SavePassword=True
EOF
  as_user sh -c "printf '#!/bin/sh\nprintf \"%%s\\\\n\" \"\$@\" >>\"\$HOME/opened\"\n' >'$home/bin/xdg-open'; chmod +x '$home/bin/xdg-open'"
  as_user env -i PATH="$home/bin:/usr/bin:/bin" HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" LANG=C.UTF-8 \
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
      "$1" >"$HOME/console.out" 2>&1 &
      pid=$!
      wid=$(timeout 30 xdotool search --sync --onlyvisible --name "Velmora.s Tarnwick" | head -n 1)
      [ -n "$wid" ] || { echo "no console window"; exit 1; }
      xdotool windowfocus --sync "$wid"
      sleep 0.5
      xdotool key F5
      for i in $(seq 100); do grep -qs "loopback peer" "$2" && break; sleep 0.1; done
      xdotool key ctrl+d
      for i in $(seq 100); do [ -s "$HOME/opened" ] && break; sleep 0.1; done
      xdotool key ctrl+q
      for i in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
      kill -0 $pid 2>/dev/null && { echo "Ctrl+Q did not end the console"; kill $pid; exit 1; }
      wait $pid' sh "$exe" "$3"
}

home=$work/installed
drive "$root/usr/bin/vorlanix" "$home" "$home/data/velmora/vorlanix.log" || fail "the installed console's run"
log=$home/data/velmora/vorlanix.log
grep -q ":> status" "$log" || fail "no echo of status in $log"
grep -q "hello from the loopback peer" "$log" || fail "no reply in $log"
[ "$(cat "$home/opened")" = "$log" ] || fail "View Log opened '$(cat "$home/opened")', not $log"
[ ! -e "$root/usr/bin/vorlanix.log" ] || fail "the installed console wrote beside itself"
grep -qs "^Settings\\\\Password=$" "$home/config/velmora/velmora.ini" ||
  grep -qs "^Settings\\\\Password=pw$" "$home/config/velmora/velmora.ini" || fail "settings not saved at exit"
pass "installed console: transcript in \$XDG_DATA_HOME/velmora/vorlanix.log, found by File > View Log"

home=$work/copy
as_user mkdir -p "$home/program"
as_user cp "$root/usr/bin/vorlanix" "$home/program/"
drive "$home/program/vorlanix" "$home" "$home/program/vorlanix.log" || fail "the copied console's run"
grep -q "hello from the loopback peer" "$home/program/vorlanix.log" || fail "no transcript beside the copy"
[ "$(cat "$home/opened")" = "$home/program/vorlanix.log" ] || fail "View Log opened '$(cat "$home/opened")'"
[ ! -e "$home/data/velmora/vorlanix.log" ] || fail "the copy wrote to the data folder"
pass "copied console: transcript beside itself"
echo "check-package: all checks passed"
