# Sourced by the benchmark scripts: builds, then gives them $bin (the program folder) and
# $work (a scratch folder removed on exit), from the repository's root.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/build.sh build >/dev/null
bin=$PWD/build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
