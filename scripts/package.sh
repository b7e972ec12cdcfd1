#!/usr/bin/env bash
# Builds the Debian package of the program (Release, in build-package/) with
# CPack and checks it with lintian, which fails the run on any error.
# The package ends up in build-package/package/quorvane_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build-package --target quorvane qvbank install_files
(cd build-package && cpack -G DEB)
deb=$(ls build-package/package/quorvane_*.deb)
lintian --fail-on error "$deb"
echo "Package: $deb"
