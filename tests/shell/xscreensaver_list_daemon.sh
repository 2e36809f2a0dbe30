#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# `hillglimmer xscreensaver on|off` against the real XScreenSaver daemon on a
# private Xvfb, as a user with no ~/.xscreensaver (nobody, when run as root:
# the daemon refuses root). usage: xscreensaver_list_daemon.sh HILLGLIMMER
# Exits 77 (skipped) when xscreensaver or Xvfb is missing.
set -euo pipefail
exe=$(readlink -f "${1:?usage: xscreensaver_list_daemon.sh HILLGLIMMER}")

for tool in xscreensaver xscreensaver-command Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/install-deps)"; exit 77; }
done

work=$(mktemp -d)
. "$(dirname "$0")/../../scripts/xscreensaver-session.sh"
trap 'stop_session; rm -rf "$work"' EXIT
chmod 755 "$work"
home="$work/home" bin="$work/bin"
mkdir -p "$home" "$bin"
# The daemon finds the program on its PATH, as it finds an installed one.
ln -s "$exe" "$bin/hillglimmer"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "skipped: setpriv is missing"; exit 77; }
  chown 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  "${as_user[@]}" test -x "$exe" || { echo "skipped: nobody cannot run $exe"; exit 77; }
fi

run() {
  "${as_user[@]}" env -i PATH="$bin:/usr/bin:/bin" DISPLAY="$display" HOME="$home" \
    HILLGLIMMER_LANG=en LP_NUM_THREADS=1 "$@"
}

fail() { echo "FAIL: $*"; tail -n 20 "$work/xscreensaver.log" 2>/dev/null; exit 1; }
start_xvfb

# Our program run by this daemon: found by the home in its environment.
hack_pid() {
  for p in $(pgrep -x hillglimmer || true); do
    [ "$(readlink -f "/proc/$p/exe" 2>/dev/null)" = "$exe" ] &&
      tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "HOME=$home" && echo "$p" && return
  done
  return 0
}
# Gone, or a zombie left to init by the daemon's helper that ran it.
ended() { ! kill -0 "$1" 2>/dev/null || awk '{ exit $3 != "Z" }' "/proc/$1/stat" 2>/dev/null; }

# Unblanks and waits until the daemon has reaped its display process: a
# selection sent before that is lost in the daemon's restart of it.
gfx_exits() { grep -c 'xscreensaver-gfx exited' "$work/xscreensaver.log" || true; }
deactivate() {
  local n
  n=$(gfx_exits)
  run xscreensaver-command -deactivate >/dev/null
  for _ in $(seq 600); do [ "$(gfx_exits)" -gt "$n" ] && return; wake_daemon; sleep 0.1; done
  fail "deactivation did not unblank"
}

# Selects hack number $1 and waits until our program runs, then ends it.
select_runs_us() {
  run xscreensaver-command -select "$1" >/dev/null || fail "-select $1 was refused"
  local pid=""
  for _ in $(seq 600); do pid=$(hack_pid); [ -n "$pid" ] && break; sleep 0.1; done
  [ -n "$pid" ] || fail "-select $1 did not run hillglimmer"
  deactivate
  for _ in $(seq 600); do ended "$pid" && break; sleep 0.1; done
  ended "$pid" || fail "deactivation did not end hillglimmer"
}

[ ! -e "$home/.xscreensaver" ] || fail "the throwaway home already has ~/.xscreensaver"
start_daemon

# 1. No file: `on` writes one holding our entry alone, and the daemon,
# merging it with the system's settings, runs us as the first hack.
run hillglimmer xscreensaver on >"$work/on.out" || fail "on failed: $(cat "$work/on.out")"
[ -f "$home/.xscreensaver" ] || fail "on wrote no ~/.xscreensaver"
select_runs_us 1
# The file lists only us: a second hack is there only if the daemon merged
# the system's list in.
others() { grep ': forked "' "$work/xscreensaver.log" | grep -vc 'forked "hillglimmer \|gl-visual"' || true; }
before=$(others)
run xscreensaver-command -select 2 >/dev/null || fail "-select 2 was refused"
for _ in $(seq 600); do [ "$(others)" -gt "$before" ] && break; sleep 0.1; done
[ "$(others)" -gt "$before" ] || fail "-select 2 ran nothing: the system's list was not merged"
deactivate
run hillglimmer xscreensaver off >"$work/off.out" || fail "off failed"
[ ! -e "$home/.xscreensaver" ] || fail "off left $(cat "$home/.xscreensaver")"

# 2. A hand-edited file with comments and three hacks: ours comes fourth,
# and on then off gives back every byte.
cat >"$home/.xscreensaver" <<'EOT'
# edited by hand
! an X resource comment
timeout:	0:30:00
lock:		False
splash:		False
fade:		False
programs:								      \
				maze --root				    \n\
  "Qix (solid)"	qix --root -solid -segments 100		    \n\
-				bsod --root				    \n\


pointerPollTime:	0:00:05
EOT
[ "$(id -u)" -eq 0 ] && chown 65534:65534 "$home/.xscreensaver"
cp -p "$home/.xscreensaver" "$work/original"
run hillglimmer xscreensaver on >/dev/null || fail "on over a hand-edited file failed"
grep -q 'GL: hillglimmer -root' "$home/.xscreensaver" || fail "on did not add our entry"
select_runs_us 4
run hillglimmer xscreensaver off >/dev/null || fail "off over a hand-edited file failed"
cmp "$work/original" "$home/.xscreensaver" || fail "on then off changed the file"

run xscreensaver-command -exit >/dev/null 2>&1 || true
echo "ok: the daemon ran hillglimmer from a file on wrote and from a hand-edited one; off undid both"
