#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it in the
# folder that holds the bundled bank (english.db) and catalogue (mulu.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build
cd build/src
exec ./quorvane
