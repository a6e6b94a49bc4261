#!/bin/sh
# Runs a test program on a desktop of its own: inside the session bus that
# dbus-run-session gave it, with the desktop accessibility bus started first
# (so that Qt's accessibility bridge comes on as it does beside a screen
# reader), on an X server from xvfb-run.
set -e
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
exec xvfb-run -a -s "-screen 0 1280x800x24" "$@"
