#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan+UBSan, libFuzzer) and runs each one in
# turn from its seed corpus. Usage: fuzz/run.sh [SECONDS per target, default
# 15] [TARGET ...]. Installs clang and its sanitizer runtimes (apt, with sudo
# unless run as root) when a fuzz target cannot be linked without them.
#
# Seeds come from tests/data and the real publications of tests/corpus
# (fuzz/make_seeds.py). The corpora grow under build-fuzz/corpus and are
# reused by later runs; crashes land in build-fuzz/crashes and fail the
# script. One line per target reports its executions and final coverage.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-15}"
shift || true
# libFuzzer reads 0 as "no limit"
[ "$seconds" -ge 1 ] 2>/dev/null || { echo "seconds per target must be a whole number from 1" >&2; exit 2; }
build=build-fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(detect parse_grant_v4 parse_application_v4 parse_application_v1x parse_grant_v25
           parse_sequence_cwu read_aps template parse_to_markdown bulk_split read_archive archive_checksums write_outputs)
fi

links_a_fuzzer() {
  command -v clang++ >/dev/null &&
    echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
      clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null
}
if ! links_a_fuzzer; then
  bash .ci/system-packages clang
  major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
  bash .ci/system-packages "libclang-rt-$major-dev"
  links_a_fuzzer || { echo "clang cannot link a libFuzzer target" >&2; exit 1; }
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUILLMARK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" >/dev/null
python3 fuzz/make_seeds.py "$build/seeds"
mkdir -p "$build/crashes"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for target in "${targets[@]}"; do
  dict=fuzz/xml.dict
  [ "$target" = template ] && dict=fuzz/template.dict
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  # No seed is cut: the longest one (a real publication, for the document
  # targets) sets the longest input, 64 KiB at least.
  max_len=$(find "$build/seeds/$target" -type f -printf '%s\n' 2>/dev/null | sort -n | tail -1)
  [ "${max_len:-0}" -ge 65536 ] || max_len=65536
  if "$build/fuzz/fuzz_$target" "$corpus" "$build/seeds/$target" -dict="$dict" -max_total_time="$seconds" \
       -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/crashes/$target-" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' || true)
  printf '%-24s %-6s %4ss runs=%s %s\n' "$target" "$result" "$seconds" "${runs:-?}" "$last"
  [ "$result" = ok ] || tail -40 "$log"
done
exit $status
