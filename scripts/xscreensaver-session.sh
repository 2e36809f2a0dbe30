# SPDX-License-Identifier: MIT
# Sourced by the checks that run the real XScreenSaver daemon: a private
# Xvfb and the daemon on it, as nobody when run as root (the daemon refuses
# root). The caller sets `work` (a folder nobody can enter), `home` and the
# array `as_user`, defines `run` (the daemon's environment) and `fail`.
# Every wait is for a condition; the bounds only bound a hang.

xvfb_pid="" daemon_pid=""

# Sets `display`.
start_xvfb() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 640x480x24 -ac -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(tail -n 5 "$work/xvfb.log")"
  display=":$(head -n1 "$work/display")"
}

# True once the daemon answers on our display.
daemon_answers() { run xscreensaver-command -version >/dev/null 2>&1; }

# The daemon notices a child's end only when something else wakes it: a
# SIGCHLD that comes just before it goes back to sleep waits for its next
# timer, up to a minute later. Input wakes it at once, as it would under a
# user's hand; the pointer goes back where it was.
wake_daemon() {
  run xdotool mousemove_relative -- 1 0 >/dev/null 2>&1 || true
  run xdotool mousemove_relative -- -1 0 >/dev/null 2>&1 || true
}

# Starts the daemon, logging verbosely to $work/xscreensaver.log, and waits
# until it answers. A daemon that dies or stays silent for 30 s is started
# once more: on a loaded machine its first start has been seen to stay
# silent for a minute, and what the checks test is our program under it,
# not the daemon's own start. The log of a failed start is kept beside.
start_daemon() {
  local attempt
  for attempt in 1 2; do
    run xscreensaver --no-splash --verbose >"$work/xscreensaver.log" 2>&1 &
    daemon_pid=$!
    for _ in $(seq 300); do
      daemon_answers && return 0
      kill -0 "$daemon_pid" 2>/dev/null || break
      wake_daemon
      sleep 0.1
    done
    daemon_answers && return 0
    if kill -0 "$daemon_pid" 2>/dev/null; then
      echo "note: start $attempt of the daemon did not answer in 30 s"
      kill "$daemon_pid" 2>/dev/null || true
    else
      echo "note: start $attempt of the daemon ended by itself"
    fi
    wait "$daemon_pid" 2>/dev/null || true
    mv "$work/xscreensaver.log" "$work/xscreensaver.log.$attempt"
    tail -n 20 "$work/xscreensaver.log.$attempt"
  done
  touch "$work/xscreensaver.log"
  fail "the daemon did not answer"
}

stop_session() {
  if [ -n "$daemon_pid" ]; then kill "$daemon_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
