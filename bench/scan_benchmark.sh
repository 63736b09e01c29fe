#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times a Tallyvane scan against du, ncdu, gdu and a bare system-call walk on one tree, warm or
# with the caches dropped before every run, and measures each one's peak memory. See
# bench/README.md.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: scan_benchmark.sh [options] [TREE]

Without TREE, generates (once) and uses /tmp/tallyvane-bench/tree-ENTRIES-seedSEED.

  --tallyvane PATH   the tallyvane executable (default: BUILD/src/tallyvane)
  --build-dir DIR    build directory holding src/tallyvane, bench/make_tree, bench/bare_walk and
                     bench/scan_threads (default: build-bench beside bench/)
  --cold             drop the page, inode and folder caches before every timed run
                     (sync; echo 3 > /proc/sys/vm/drop_caches: needs root); no warm-up runs
  --threads LIST     also time the scan alone (bench/scan_threads) with each of these reading
                     thread counts, comma-separated, e.g. 1,2,4,8,16; tallyvane itself runs
                     with its automatic count
  --runs N           timed runs per program (default 10)
  --warmup N         untimed runs per program before timing (default 3)
  --rss-runs N       runs per program for the peak memory, the largest counts (default 3)
  --entries N        entries of the generated tree (default 1000000)
  --seed N           seed of the generated tree (default 1)
  --results DIR      where the raw results go (default /tmp/tallyvane-bench/results/NAME-TIME)
EOF
}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=/tmp/tallyvane-bench
build_dir=$here/../build-bench
tallyvane=
runs=10
warmup=3
rss_runs=3
entries=1000000
seed=1
results=
cold=
threads=
tree=
stale=
empty=
cleanup() {
  [[ -z $empty ]] || rmdir -- "$empty"
  [[ -z $stale ]] || rm -rf -- "$stale"
}
trap cleanup EXIT

while (($#)); do
  case $1 in
    --tallyvane) tallyvane=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --rss-runs) rss_runs=$2; shift 2 ;;
    --entries) entries=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --results) results=$2; shift 2 ;;
    --cold) cold=1; warmup=0; shift ;;
    --threads) threads=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "scan_benchmark.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) [[ -z $tree ]] || { usage >&2; exit 2; }; tree=$1; shift ;;
  esac
done

[[ -d $build_dir ]] && build_dir=$(cd "$build_dir" && pwd)
tallyvane=${tallyvane:-$build_dir/src/tallyvane}
make_tree=$build_dir/bench/make_tree
bare_walk=$build_dir/bench/bare_walk
scan_threads=$build_dir/bench/scan_threads

for tool in hyperfine du ncdu gdu find awk; do
  command -v "$tool" >/dev/null || { echo "scan_benchmark.sh: $tool is missing (scripts/setup.sh --bench)" >&2; exit 1; }
done
programs=(/usr/bin/time "$tallyvane" "$bare_walk")
[[ -z $threads ]] || programs+=("$scan_threads")
if [[ -n $cold ]] && [[ ! -w /proc/sys/vm/drop_caches ]]; then
  echo "scan_benchmark.sh: --cold needs root to write /proc/sys/vm/drop_caches" >&2; exit 1
fi
for program in "${programs[@]}"; do
  [[ -x $program ]] || { echo "scan_benchmark.sh: $program is missing or not executable" >&2; exit 1; }
done

if [[ -z $tree ]]; then
  tree=$work/tree-$entries-seed$seed
  # The stamp is written only after a complete generation, so an interrupted one is redone.
  stamp=$tree.made
  if [[ ! -f $stamp ]]; then
    [[ -x $make_tree ]] || { echo "scan_benchmark.sh: $make_tree is missing" >&2; exit 1; }
    mkdir -p "$work"
    echo "Free space on $work:"; df -h "$work" | tail -1; df -i "$work" | tail -1
    # An unfinished tree is deleted only on exit, after the measurements: ext4 passes over
    # inodes freed in the last minutes when it allocates, and pending write-back slows both the
    # generation and the timed scans several-fold.
    if [[ -e $tree ]]; then
      stale=$(mktemp -u "$tree.stale.XXXXXX")
      mv -- "$tree" "$stale"
    fi
    sync
    "$make_tree" --seed "$seed" --entries "$entries" "$tree" | tee "$stamp.partial"
    mv "$stamp.partial" "$stamp"
    sync
  fi
fi
[[ -d $tree ]] || { echo "scan_benchmark.sh: $tree is not a folder" >&2; exit 1; }
tree=$(cd "$tree" && pwd)

if [[ -z $results ]]; then
  results=$work/results/$(basename "$tree")-$(date +%Y%m%d-%H%M%S)
fi
mkdir -p "$results"
mkdir -p "$work"
empty=$(mktemp -d "$work/empty.XXXXXX")

# hyperfine -N splits a command line by POSIX shell rules; single quotes keep any path whole.
quote() { printf "'%s'" "${1//\'/\'\\\'\'}"; }

# The programs, in the order of the table. {} stands for the folder scanned.
names=(tallyvane du ncdu gdu bare_walk)
commands=(
  "$(quote "$tallyvane") --export text --max-depth 0 {}"
  "du -s --apparent-size {}"
  "ncdu -0 -o /dev/null {}"
  "gdu -n -p {}"
  "$(quote "$bare_walk") {}"
)
for count in ${threads//,/ }; do
  names+=("scan-t$count")
  commands+=("$(quote "$scan_threads") --threads $count {}")
done
command_for() { local line=${commands[$1]}; printf '%s' "${line//\{\}/$(quote "$2")}"; }

echo "Warming the cache and counting the entries of $tree"
find "$tree" >/dev/null 2>&1 || true
tree_entries=$({ find "$tree" -mindepth 1 2>/dev/null || true; } | wc -l)
"$bare_walk" "$tree" >/dev/null

# One checked run each: a broken tallyvane must not be timed, while du and ncdu may report
# unreadable folders of a system tree with a non-zero status and still be timed.
ignore_failure=()
for i in "${!names[@]}"; do
  status=0
  eval "$(command_for "$i" "$tree")" >/dev/null 2>"$results/${names[i]}.stderr" || status=$?
  if ((status != 0)); then
    if [[ ${names[i]} == tallyvane ]]; then
      echo "scan_benchmark.sh: tallyvane failed with status $status:" >&2
      cat "$results/tallyvane.stderr" >&2
      exit 1
    fi
    echo "warning: ${names[i]} exits with status $status on this tree (see $results/${names[i]}.stderr); timed anyway"
    ignore_failure=(--ignore-failure)
  fi
done

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
hyperfine_arguments=(-N --warmup "$warmup" --runs "$runs" "${ignore_failure[@]}"
  --export-csv "$results/times.csv" --export-json "$results/times.json"
  --export-markdown "$results/times.md")
if [[ -n $cold ]]; then
  hyperfine_arguments+=(--prepare "sh -c 'sync; echo 3 > /proc/sys/vm/drop_caches'")
fi
for i in "${!names[@]}"; do
  hyperfine_arguments+=(-n "${names[i]}" "$(command_for "$i" "$tree")")
done
hyperfine "${hyperfine_arguments[@]}"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# Peak resident memory in KiB: the largest of several runs on the tree, and one run on an
# empty folder as the program's own baseline.
echo "Measuring peak memory ($rss_runs runs each)"
printf 'program\tpeak_kib\tbaseline_kib\n' >"$results/memory.tsv"
peak_of() {
  eval "/usr/bin/time -o $(quote "$results/time.out") -f %M $1" >/dev/null 2>&1 || true
  tail -1 "$results/time.out"
}
for i in "${!names[@]}"; do
  peak=0
  for ((run = 0; run < rss_runs; ++run)); do
    kib=$(peak_of "$(command_for "$i" "$tree")")
    ((kib > peak)) && peak=$kib
  done
  baseline=$(peak_of "$(command_for "$i" "$empty")")
  printf '%s\t%s\t%s\n' "${names[i]}" "$peak" "$baseline" >>"$results/memory.tsv"
done
rm -f "$results/time.out"

{
  echo "Tree:     $tree"
  echo "Entries:  $tree_entries (find TREE -mindepth 1 | wc -l)"
  echo "Runs:     $runs timed after $warmup warm-up runs (hyperfine -N); peak memory: largest of $rss_runs (/usr/bin/time -f %M)"
  if [[ -n $cold ]]; then echo "Caches:   dropped before every timed run (cold)"; else echo "Caches:   warm"; fi
  echo "Threads:  tallyvane automatic${threads:+; scan-tN: the scan alone with N reading threads}"
  echo "Load:     $load_before before, $load_after after (1, 5, 15 min)"
  echo "Commands:"
  for i in "${!names[@]}"; do
    printf '  %-10s %s\n' "${names[i]}" "$(command_for "$i" "$tree")"
  done
  echo
  awk -v entries="$tree_entries" '
    # hyperfine CSV: command,mean,stddev,median,user,system,min,max (seconds); no quoted commas,
    # since every command is named.
    FNR == 1 { next }
    FILENAME ~ /csv$/ { order[++n] = $1; mean[$1] = $2; sd[$1] = $3; low[$1] = $7; cpu[$1] = $5 + $6; next }
    { peak[$1] = $2; base[$1] = $3 }
    END {
      t = mean["tallyvane"]
      printf "%-10s %8s %7s %8s %8s %8s %11s %9s %9s %8s\n", "program", "mean s", "sd s", "min s",
             "cpu s", "tv/prog", "entries/s", "peak MiB", "base MiB", "B/entry"
      for (i = 1; i <= n; ++i) {
        p = order[i]
        printf "%-10s %8.3f %7.3f %8.3f %8.3f %8.2f %11.0f %9.1f %9.1f %8.1f\n", p, mean[p], sd[p],
               low[p], cpu[p], t / mean[p], entries / mean[p], peak[p] / 1024, base[p] / 1024,
               (peak[p] - base[p]) * 1024 / entries
      }
      print ""
      ratio = t / mean["du"]
      limit = cold ? 0.45 : 0.6
      printf "Target: tallyvane wall time <= %.2f x du -s --apparent-size: %.2f x by mean (%.2f x by min, %.2f x by CPU time)  %s\n",
             limit, ratio, low["tallyvane"] / low["du"], cpu["tallyvane"] / cpu["du"], ratio <= limit ? "MET" : "MISSED"
      if (cold)
        printf "Target: tallyvane faster than gdu -n -p: %.2f x  %s\n", t / mean["gdu"], t < mean["gdu"] ? "MET" : "MISSED"
      bytes = (peak["tallyvane"] - base["tallyvane"]) * 1024 / entries
      printf "Target: tallyvane peak memory <= 64 B/entry above its baseline: %.1f B/entry  %s\n", bytes,
             bytes <= 64 ? "MET" : "MISSED"
    }' cold="$cold" FS=',' "$results/times.csv" FS='\t' "$results/memory.tsv"
} >"$results/summary.txt"

echo
echo "Results in $results"
echo
cat "$results/summary.txt"
