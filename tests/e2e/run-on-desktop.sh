#!/bin/sh
# Runs an end-to-end test script on a desktop of its own: a session bus
# (started by the caller through dbus-run-session), the accessibility bus on
# it, and an X server from xvfb-run. The script drives the real program over
# the accessibility bus, as a screen reader would.
set -e
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
exec xvfb-run -a -s "-screen 0 1280x800x24" /usr/bin/python3 "$@"
