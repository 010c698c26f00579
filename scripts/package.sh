#!/usr/bin/env bash
# Builds the 32-bit release programs (when needed) and writes the installer
# dist/Quorvel-Setup-<version>.exe (the version is the project's, the same the
# programs' version resource carries).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release
mkdir -p dist
cp build/release/dist/Quorvel-Setup-*.exe dist/
ls -l dist/Quorvel-Setup-*.exe
