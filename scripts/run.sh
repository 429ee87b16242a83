#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building and starting the program takes, builds the program
# alone (no tests, no generator) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake --preset package >/dev/null
cmake --build --preset package --target vantory-laser
exec build/package/app/vantory-laser
