#!/bin/sh
# Runs a test on a D-Bus session bus of its own, with the per-user folders in
# a temporary folder: gvfs, which keeps the files' emblems, is started by
# that bus and keeps its metadata there, never in the real home.
home=$(mktemp -d) || exit 1
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
status=0
dbus-run-session -- "$@" || status=$?
# The daemons the session started (gvfs, xfconf) still write their files as
# they end: the folder goes once none of them is left.
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME
for _ in $(seq 100); do
    grep -qsz "^XDG_DATA_HOME=$home/data" /proc/[0-9]*/environ || break
    sleep 0.1
done
rm -rf "$home"
exit $status
