# Shared helpers for the benchmark cases. Source it from a case script.
# Each case prints one line: "name: X.XXx (vs REFERENCE), peak memory N MiB".

BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_BUILD=${BENCH_BUILD:-$BENCH_ROOT/build/release}
BENCH_WORK=${BENCH_WORK:-$BENCH_ROOT/build/bench-work}
TROVEX_CLI=$BENCH_BUILD/src/cli/trovex-cli
mkdir -p "$BENCH_WORK"

# bench_time CMD...: runs CMD and sets BENCH_SECONDS and BENCH_PEAK_KIB.
bench_time() {
  local stats
  stats=$(mktemp)
  sync
  /usr/bin/time -f '%e %M' -o "$stats" "$@" >/dev/null 2>&1 || { echo "bench: command failed: $*" >&2; rm -f "$stats"; return 1; }
  read -r BENCH_SECONDS BENCH_PEAK_KIB < <(tail -n 1 "$stats")
  rm -f "$stats"
}

# bench_best N CMD...: the best of N runs, to damp noise. BENCH_BEFORE, when
# set, is a shell command run before each run, outside the timing.
bench_best() {
  local runs=$1 best= peak=0
  shift
  for _ in $(seq "$runs"); do
    if [ -n "${BENCH_BEFORE:-}" ]; then eval "$BENCH_BEFORE"; fi
    bench_time "$@" || return 1
    if [ -z "$best" ] || awk "BEGIN{exit !($BENCH_SECONDS < $best)}"; then best=$BENCH_SECONDS; fi
    [ "$BENCH_PEAK_KIB" -gt "$peak" ] && peak=$BENCH_PEAK_KIB
  done
  BENCH_SECONDS=$best
  BENCH_PEAK_KIB=$peak
}

# bench_report NAME TROVEX_SECONDS REF_SECONDS REFERENCE PEAK_KIB
bench_report() {
  awk -v n="$1" -v t="$2" -v r="$3" -v ref="$4" -v m="$5" \
    'BEGIN { if (r <= 0) r = 0.01; printf "%s: %.2fx (vs %s; trovex %.2fs, reference %.2fs), peak memory %.1f MiB\n", n, t / r, ref, t, r, m / 1024 }'
}
