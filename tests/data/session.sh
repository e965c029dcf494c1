#!/bin/sh
# Runs $SCRIPT in a private D-Bus session of its own (a test helper).
exec dbus-run-session -- sh -c "$SCRIPT"
