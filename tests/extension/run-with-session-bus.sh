#!/bin/sh
# Runs a test on a D-Bus session bus of its own, with the per-user folders in
# a temporary folder: gvfs, which keeps the files' emblems, is started by
# that bus and keeps its metadata there, never in the real home.
home=$(mktemp -d) || exit 1
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
dbus-run-session -- "$@"
