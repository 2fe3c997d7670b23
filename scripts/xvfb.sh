#!/usr/bin/env bash
# Sourced: makes sure DISPLAY names a running X server. Starts Xvfb on a free
# display (with openbox, so that windows get focus) when there is none.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 130); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    TORA_XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    if xdpyinfo >/dev/null 2>&1; then
      if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & TORA_WM_PID=$!; fi
      break
    fi
  done
fi
