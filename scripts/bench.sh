#!/usr/bin/env bash
# Installs what is needed, builds, and runs the benchmarks: each figure is printed as a
# ratio measured side by side in this run, with its target and whether it is met. Takes
# about a minute; the figures are meant to be taken as root on an otherwise quiet machine.
# Arguments go to the benchmark program (--only NAME, --keep).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/bench/ppd-bench "$@"
