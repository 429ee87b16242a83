#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the launcher and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantory-laser
exec build/default/app/vantory-laser
