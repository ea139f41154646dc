#!/usr/bin/env bash
# Runs a test with a home, XDG folders and temporary folder of its own, emptied
# before each run, so neither the test nor a program it starts (CUPS writes
# ~/.cups/lpoptions, Qt and LibreOffice their settings) writes the user's.
# $1: the folder; the rest: the command.
set -eu
home=$1
shift
rm -rf "$home"
mkdir -p "$home"/{.config,.local/share,.local/state,.cache,tmp,run}
chmod 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
  XDG_STATE_HOME=$home/.local/state XDG_CACHE_HOME=$home/.cache XDG_RUNTIME_DIR=$home/run TMPDIR=$home/tmp
exec "$@"
