#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a fuzzer for a fixed number of inputs from its seed corpus, as a test: the inputs it finds go
# to a scratch folder emptied first, so every run starts from the same corpus and the repository's
# seeds stay as they are. Crash inputs are written to the scratch folder's parent.
#
#   run-briefly.sh FUZZER SEEDS SCRATCH RUNS
set -eu
fuzzer=$1 seeds=$2 scratch=$3 runs=$4
rm -rf "$scratch"
mkdir -p "$scratch"
exec "$fuzzer" -runs="$runs" -seed=1 -max_len=1024 -timeout=10 -artifact_prefix="$(dirname "$scratch")/" \
    "$scratch" "$seeds"
