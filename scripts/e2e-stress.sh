#!/usr/bin/env bash
# Runs each end-to-end ctest entry N times as a fresh clone's first run meets
# it: its Wine prefix made anew and the display started anew for every run,
# every other run beside a niced busy loop on every core. Prints each entry's
# pass count and the first lines of every failure; exits non-zero on any.
#   scripts/e2e-stress.sh [N] [entry ...]    (N = 10, every e2e entry)
# It makes build/wineprefix* anew, as scripts/test.sh would on a new machine.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
shift || true
scripts/bootstrap.sh test >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" >/dev/null
entries=("$@")
if ((${#entries[@]} == 0)); then
  mapfile -t entries < <(ctest --preset windows -N | sed -n 's/^ *Test *#[0-9]*: \(e2e[a-z0-9_]*\)$/\1/p')
fi

source scripts/wine-env.sh
logs=$(mktemp -d)
busy=()
stop_busy() {
  if ((${#busy[@]})); then
    kill "${busy[@]}" 2>/dev/null || true
    wait "${busy[@]}" 2>/dev/null || true
  fi
  busy=()
}
trap 'stop_busy; vireon_stop_display; rm -rf "$logs"' EXIT

# The prefix an entry runs in, made anew: the base one, or a copy of it with its settings.
fresh_prefix() {
  case $1 in
    e2e_144dpi) rm -rf "$VIREON_WINEPREFIX_144"; vireon_prepare_prefix_144 ;;
    e2e_two_monitors) rm -rf "$VIREON_WINEPREFIX_2MON"; vireon_prepare_prefix_two_monitors ;;
    *) rm -rf "$WINEPREFIX"; vireon_prepare_prefix ;;
  esac >/dev/null
}

declare -A passed
for entry in "${entries[@]}"; do passed[$entry]=0; done
failures=0
for ((run = 1; run <= runs; run++)); do
  for entry in "${entries[@]}"; do
    fresh_prefix "$entry"
    vireon_start_display
    load=""
    if ((run % 2 == 0)); then
      load=" (loaded)"
      for ((core = 0; core < $(nproc); core++)); do
        nice -n 19 bash -c 'while :; do :; done' &
        busy+=($!)
      done
    fi
    log="$logs/$entry-$run.log"
    if ctest --preset windows -R "^$entry\$" --output-on-failure >"$log" 2>&1; then
      passed[$entry]=$((passed[$entry] + 1))
      echo "stress: $entry run $run$load passed"
    else
      failures=$((failures + 1))
      echo "stress: $entry run $run$load FAILED:"
      { grep -E '^(FAIL|ERROR):|Error:|timed out|Timeout' "$log" || tail -n 3 "$log"; } | head -n 6 | sed 's/^/    /'
    fi
    stop_busy
    vireon_stop_display
  done
done

for entry in "${entries[@]}"; do
  echo "stress: $entry passed ${passed[$entry]} of $runs"
done
exit $((failures > 0))
