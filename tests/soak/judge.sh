#!/usr/bin/env bash
# The soak's verdict over the CSV tests/soak/soak.sh writes, apart from the
# run, so that a recorded CSV can be judged again. Each phase fails when a
# figure grows between its sample at a tenth of the way (cycle 100 of 1000;
# not before cycle 10) and its end by more than the bounds below; the end is
# the least of the last five samples, so a thread or block that is only on
# its way out does not count, while a leak, which only grows, does.
#   bash tests/soak/judge.sh CSV CYCLES ROUNDS [PHASES]
# PHASES: those the run had (default: button panels settings drop).
csv=$1 cycles=$2 rounds=$3 phases=${4:-button panels settings drop}

# The bounds. A handle or some 300 bytes left per drop would pass only if it
# were fewer than one in a hundred cycles.
SOAK_MAX_HANDLES=8
SOAK_MAX_PRIVATE=$((256 * 1024))
# RAS's readiness checks run on a pool that keeps up to four idle workers
# (src/ras/readiness.cpp) and starts one more only when two checks overlap,
# the statistics thread's and the window's: such a worker comes at any cycle
# and stays. Threads may grow by that many, and 1 MiB of stack for each
# (what one adds to the private bytes under Wine) is not counted in the
# bytes; a thread lost per cycle still shows at once.
SOAK_MAX_THREADS=4
SOAK_THREAD_BYTES=$((1024 * 1024))

# judge PHASE CYCLES
judge() {
  awk -F, -v phase="$1" -v n="$2" -v mh="$SOAK_MAX_HANDLES" -v mt="$SOAK_MAX_THREADS" \
      -v mp="$SOAK_MAX_PRIVATE" -v stack="$SOAK_THREAD_BYTES" '
    $1 == phase { c[$2] = $0 }
    END {
      from = int((n + 9) / 10); if (from < 10 && n >= 10) from = 10
      if (!(from in c) || !(n in c)) { print phase ": missing samples"; exit 1 }
      split(c[from], a, ",")
      for (k = 4; k <= 6; k++) low[k] = -1
      for (i = (n > 4 ? n - 4 : 1); i <= n; i++) {
        split(c[i], b, ",")
        for (k = 4; k <= 6; k++) if (low[k] < 0 || b[k] + 0 < low[k]) low[k] = b[k] + 0
      }
      dh = low[4] - a[4]; dt = low[5] - a[5]; dp = low[6] - a[6]
      own = dp - (dt > 0 ? dt * stack : 0)
      printf "%s: cycle %d to %d: handles %+d (bound %d), threads %+d (bound %d), private bytes %+d, %+d less the new threads\47 stacks (bound %d)\n",
        phase, from, n, dh, mh, dt, mt, dp, own, mp
      exit !(dh <= mh && dt <= mt && own <= mp)
    }' "$csv"
}

verdict=0
for phase in $phases; do
  if [ "$phase" = drop ]; then n=$cycles; else n=$rounds; fi
  [ "$n" = 0 ] || judge "$phase" "$n" || verdict=1
done
exit "$verdict"
