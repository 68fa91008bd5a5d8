#!/usr/bin/env bash
# The idle unit's share of one core with the keyboard task polling the keys
# every 25 ms, beside the same unit without the keyboard task (task_rem 8),
# both run side by side in the same period so that they share the machine's
# load. Each runs the start-up, display, view, keyboard and NVRAM tasks
# (the start-up task cannot do without the NVRAM task) under a unit root of
# its own; nothing presses a key, so after its start-up screens each unit
# waits on its chart notice, and the view and display tasks wait.
#
#   keyboard_idle_cpu.sh [--seconds N] [--report-only] VONDREL
#
# The CPU time is every thread's time on a core, summed from
# /proc/PID/task/*/schedstat, taken after a 2 s start and again N seconds
# (default 60) later. Without --report-only the script fails when the unit
# takes 1% of one core or more, or when the poll adds 0.3% or more.
set -euo pipefail

seconds=60
check=1
while [[ $# -gt 1 ]]; do
    case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --report-only) check=0; shift ;;
    *) break ;;
    esac
done
if [[ $# -ne 1 || ! -x "$1" ]]; then
    echo "usage: $0 [--seconds N] [--report-only] VONDREL" >&2
    exit 2
fi
vondrel="$1"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts one unit with its own root; prints its process id.
start() {
    local name="$1"; shift
    mkdir -p "$work/$name"
    VONDREL_ROOT="$work/$name" VONDREL_CWD="$work/$name/usr/vondrel" \
        "$vondrel" "$@" >"$work/$name.log" 2>&1 &
    echo $!
}

# Nanoseconds on a core of every thread of the process.
cpu_ns() {
    local sum=0 ns
    for f in /proc/"$1"/task/*/schedstat; do
        read -r ns _ <"$f" 2>/dev/null || continue
        sum=$((sum + ns))
    done
    echo "$sum"
}

unit=$(start polling task_flush task_add 17,4,5,8,14)
pids+=("$unit")
reference=$(start reference task_flush task_add 17,4,5,8,14 task_rem 8)
pids+=("$reference")

sleep 2
for pid in "$unit" "$reference"; do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "a unit ended at start; its log:" >&2
        cat "$work"/*.log >&2
        exit 1
    fi
done
if ! grep -q "key thread" "$work/polling.log"; then
    echo "the keyboard task did not start:" >&2
    cat "$work/polling.log" >&2
    exit 1
fi

u0=$(cpu_ns "$unit")
r0=$(cpu_ns "$reference")
t0=$(date +%s%N)
sleep "$seconds"
u1=$(cpu_ns "$unit")
r1=$(cpu_ns "$reference")
t1=$(date +%s%N)

# Shares in hundredths of a percent, to keep to integer arithmetic.
elapsed=$((t1 - t0))
unit_share=$(((u1 - u0) * 10000 / elapsed))
reference_share=$(((r1 - r0) * 10000 / elapsed))
added=$((unit_share - reference_share))
pct() { printf "%d.%02d%%" $(($1 / 100)) $(($1 % 100)); }

echo "idle unit, keyboard task polling every 25 ms: $(pct "$unit_share") of one core"
echo "the same without the keyboard task (task_rem 8): $(pct "$reference_share") of one core"
if ((added >= 0)); then
    echo "the poll adds $(pct "$added")"
else
    echo "the poll adds nothing measurable ($(pct $((-added))) less)"
fi
echo "($((elapsed / 1000000000)) s measured, $vondrel)"

if ((check)); then
    ((unit_share < 100)) || { echo "FAIL: the idle unit takes 1% of one core or more" >&2; exit 1; }
    ((added < 30)) || { echo "FAIL: the poll adds 0.3% of one core or more" >&2; exit 1; }
fi
