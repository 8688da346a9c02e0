#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it (under a virtual display when the
# machine has no screen).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target velkaro
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" build/dev/velkaro "$@"
fi
exec build/dev/velkaro "$@"
