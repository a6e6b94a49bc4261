#!/bin/sh
# Runs a test program on its own X server, inside the session bus that
# dbus-run-session gave it, with the desktop accessibility bus started first
# so that Qt's accessibility bridge comes on as it does beside a screen reader.
set -e
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
