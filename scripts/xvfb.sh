#!/usr/bin/env bash
# Sourced: makes sure DISPLAY names a running X server. Starts Xvfb on a free
# display (with openbox, so that windows get focus) when there is none, and
# waits until the window manager has taken the screen: a focus test that
# starts before it would race it.
# Sets TORA_XVFB_PID and TORA_WM_PID for the caller to end them.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 130); do
    if [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; then continue; fi
    Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    TORA_XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    if xdpyinfo >/dev/null 2>&1; then
      if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        TORA_WM_PID=$!
        for _ in $(seq 50); do
          xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
          sleep 0.1
        done
      fi
      break
    fi
    # another server took the display meanwhile: try the next one
    kill "$TORA_XVFB_PID" 2>/dev/null
    unset TORA_XVFB_PID
  done
fi
