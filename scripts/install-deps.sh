#!/usr/bin/env bash
# Installs whatever Debian packages of scripts/packages.txt are missing.
set -euo pipefail
cd "$(dirname "$0")"
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' packages.txt)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
