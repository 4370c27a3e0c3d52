#!/bin/sh
# Runs a test on a D-Bus session bus of its own, with the per-user folders in
# a temporary folder: gvfs, which keeps the files' emblems, is started by
# that bus and keeps its metadata there, never in the real home.
home=$(mktemp -d) || exit 1
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
export XDG_STATE_HOME="$home/state"
# The runtime folder too: without one, Qt makes its own in the shared
# temporary folder and GLib's daemons fall back to the cache folder.
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# The daemons the bus starts (a file manager's indexer among them) keep
# their working files in a temporary folder of the session's own: the
# shared one is the tests', and must end empty.
mkdir -p "$home/tmp"
status=0
dbus-run-session -- sh -c 'dbus-update-activation-environment TMPDIR="$0" && exec "$@"' "$home/tmp" "$@" || status=$?
# The daemons the session started (gvfs, xfconf, the document portal) still
# write their files as they end: the folder goes once none of them is left.
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_RUNTIME_DIR
for _ in $(seq 100); do
    grep -qsz "^XDG_DATA_HOME=$home/data" /proc/[0-9]*/environ || break
    sleep 0.1
done
# A FUSE mount one of them left behind (the document portal's "doc") is a
# folder no one can remove until it is unmounted.
awk -v home="$home/" 'index($5, home) == 1 { print $5 }' /proc/self/mountinfo | sort -r | while read -r mount; do
    fusermount3 -uz "$mount" 2>/dev/null || fusermount -uz "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null
done
rm -rf "$home"
exit $status
