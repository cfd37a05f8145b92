#!/usr/bin/env bash
# Builds the fuzz harnesses with clang, ASan and UBSan into build-fuzz/ (or $FUZZ_BUILD_DIR),
# replays the kept corpus of each, then fuzzes each for a bounded number of runs from a fixed seed.
# Fails on any crash, broken rule, leak or sanitizer report; the input that caused it is left in
# <build dir>/fuzz-artifacts/. FUZZ_SCALE multiplies the runs (0 replays the corpus only).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
scale="${FUZZ_SCALE:-1}"
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Harness, runs at scale 1 (about half a minute each here), longest input.
harnesses=(
    "fuzz_nmea 250000 512"
    "fuzz_receive 3000 4096"
    "fuzz_settings 10000 2048"
    "fuzz_portname 10000 256"
)
targets=()
for h in "${harnesses[@]}"; do targets+=("${h%% *}"); done

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DPLOVIK_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"

artifacts="$build_dir/fuzz-artifacts"
mkdir -p "$artifacts"
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
failed() {
    tail -n 60 "$fresh/$1.log"
    echo "fuzz: $1 failed; the input is in $artifacts/" >&2
    exit 1
}
for h in "${harnesses[@]}"; do
    read -r name runs max_len <<<"$h"
    binary="$build_dir/bin/$name"
    corpus="tests/fuzz/corpus/$name"
    options=(-artifact_prefix="$artifacts/$name-" -max_len="$max_len" -timeout=30 -print_final_stats=1)
    echo "== $name: replaying $(ls "$corpus" | wc -l) kept inputs"
    "$binary" "${options[@]}" -runs=0 "$corpus" 2>"$fresh/$name.log" || failed "$name"
    runs=$((runs * scale))
    [ "$runs" -gt 0 ] || continue
    echo "== $name: $runs runs from seed 1"
    mkdir -p "$fresh/$name"
    # New inputs go to a scratch folder: the kept corpus changes only by hand.
    "$binary" "${options[@]}" -seed=1 -runs="$runs" "$fresh/$name" "$corpus" 2>"$fresh/$name.log" ||
        failed "$name"
    grep -E "^stat::(number_of_executed_units|peak_rss_mb)|cov: " "$fresh/$name.log" | tail -3
done
echo "fuzz: ${#harnesses[@]} passed, 0 failed"
