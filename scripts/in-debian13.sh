#!/usr/bin/env bash
# Runs one of our commands in a minimal Debian 13 root on a copy of this checkout, e.g.
#   bash scripts/in-debian13.sh bash scripts/test.sh
#   bash scripts/in-debian13.sh bash scripts/start.sh   (no display there: the window runs under xvfb-run)
#   bash scripts/in-debian13.sh --as-root bash          (a shell in the root, as root)
# See scripts/in-debian.sh for how the root is made, kept and mounted.
options=()
[ "${1:-}" = --as-root ] && { options+=(--as-root); shift; }
exec bash "$(dirname "$0")/in-debian.sh" "${options[@]}" 13 "$@"
