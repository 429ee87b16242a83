#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Redraws every picture in docs/ from the program itself: builds the default
# preset and runs the tests labelled `docs`, each of which brings the program
# into the state its picture shows and, with LASER_DOCS_PICTURES set, writes
# the picture into docs/ instead of holding it against the committed one
# (tests/docspicture.h). Review the pictures, then commit them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default
LASER_DOCS_PICTURES=$PWD/docs ctest --preset default -L '^docs$'
git status --short -- docs 2>/dev/null || true
