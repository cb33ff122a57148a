#!/usr/bin/env bash
# run_target.sh DRIVER PROGRAM SEEDS WORK SECONDS [fresh]
#
# Runs one fuzz target for SECONDS, starting from the seed inputs in the
# folder SEEDS. DRIVER says what drives the program: "libfuzzer" (built with
# clang's -fsanitize=fuzzer) or "fixed" (the project's fixed-seed driver).
# WORK/corpus keeps the inputs the run found worth keeping and WORK/findings
# every input that failed (crash-, leak-, timeout-, oom- followed by a hash);
# with "fresh" the run forgets the corpus of earlier runs first, so that the
# test suite always starts from the seeds alone and with the same seed.
# Exits non-zero when the target failed on an input.
set -euo pipefail
if [ $# -lt 5 ]; then
    echo "usage: $0 libfuzzer|fixed PROGRAM SEEDS WORK SECONDS [fresh]" >&2
    exit 2
fi
driver=$1 program=$2 seeds=$3 work=$4 seconds=$5 mode=${6:-keep}
if [ "$mode" = fresh ]; then
    rm -rf "$work/corpus"
fi
mkdir -p "$work/corpus" "$work/findings"
seed=1
[ "$mode" = fresh ] || seed=0  # 0: each long run takes a new seed
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
