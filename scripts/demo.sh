#!/usr/bin/env bash
# Prepares a demo install folder and starts the client (grown as the client grows).
set -euo pipefail
build=${1:-build-demo}
echo "KIRO demo build is in $build/bin."
if [ -x "$build/bin/kiro" ]; then
  echo "Start the client with: $build/bin/kiro"
else
  echo "The client program is not built yet; the tools in $build/bin can be run on their own."
fi
