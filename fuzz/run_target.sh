#!/usr/bin/env bash
# run_target.sh DRIVER PROGRAM SEEDS WORK SECONDS
#
# Runs one fuzz target for SECONDS, starting from the seed inputs in the
# folder SEEDS. DRIVER says what drives the program: "libfuzzer" (built with
# clang's -fsanitize=fuzzer) or "fixed" (the project's fixed-seed driver).
# WORK/findings receives every input that failed (crash-, leak-, timeout-,
# oom- followed by a hash); WORK/corpus the inputs the run found worth
# keeping. Exits non-zero when the target failed on an input.
#
# By default a run forgets the corpus of earlier runs and takes the fixed
# seed 1, so that every run of the test suite starts alike. For long runs
# (scripts/fuzz.sh) QV_FUZZ_SECONDS replaces SECONDS, and QV_FUZZ_KEEP=1
# keeps the corpus of earlier runs and takes a new seed each time.
set -euo pipefail
if [ $# -ne 5 ]; then
    echo "usage: $0 libfuzzer|fixed PROGRAM SEEDS WORK SECONDS" >&2
    exit 2
fi
driver=$1 program=$2 seeds=$3 work=$4
seconds=${QV_FUZZ_SECONDS:-$5}
seed=1
if [ "${QV_FUZZ_KEEP:-0}" = 1 ]; then
    seed=0  # 0: the driver picks one
else
    rm -rf "$work/corpus"
fi
mkdir -p "$work/corpus" "$work/findings"
case $driver in
libfuzzer)
    # The first folder receives new inputs; the repository's seeds are only
    # read. An input that runs 10 s or needs 2 GB counts as a finding.
    exec "$program" -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" "$seeds"
    ;;
fixed)
    exec "$program" --seconds "$seconds" --seed "$seed" --findings "$work/findings" "$seeds"
    ;;
*)
    echo "$0: unknown driver $driver" >&2
    exit 2
    ;;
esac
