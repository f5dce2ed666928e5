#!/usr/bin/env bash
# Several lumo-ctl processes edit one installation at once: six add modules to four lines, each
# process its own share of the IDs 1-30 (so each ID of each line is added once, and all six
# race for the free record slots of a line), and two add lines. Reports how many adds the
# processes reported and how many of them are missing from the files afterwards.
#   bench/concurrent_edits.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
ctl="$PWD/$build/lumo-ctl"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1 2 3 4 5 6 7 8; do echo "COM$n=/dev/lumo-bench-no-port-$n"; done >"$work/comports.cfg"
for n in 1 2 3 4; do "$ctl" -C "$work" line add general >/dev/null; done

module_adder() {  # $1: the process's share, the IDs $1+1, $1+7, ... of every line
  local id line record
  for ((id = $1 + 1; id <= 30; id += 6)); do
    for line in 1 2 3 4; do
      if record=$("$ctl" -C "$work" module add "$line" --type 4 --id "$id" 2>/dev/null); then
        echo "M $line $id $record"
      fi
    done
  done
}
line_adder() {
  local i line
  for ((i = 0; i < 5; i++)); do
    if line=$("$ctl" -C "$work" line add tcp 2>/dev/null); then echo "L $line"; fi
  done
}
start=$(date +%s.%N)
for p in 0 1 2 3 4 5; do module_adder "$p" >"$work/report.m$p" & done
for p in 0 1; do line_adder >"$work/report.l$p" & done
wait
end=$(date +%s.%N)

reported=0 lost=0
while read -r kind a b c; do
  reported=$((reported + 1))
  if [ "$kind" = M ]; then
    "$ctl" -C "$work" list | grep -qP "^$a/$c\tmodul $b\t.*\t$(printf %02d "$b")\t" || lost=$((lost + 1))
  else
    "$ctl" -C "$work" list | grep -qP "^$a\tlinka $a\tWI485\t" || lost=$((lost + 1))
  fi
done < <(cat "$work"/report.*)
modules=$(grep -c '^M' "$work"/report.m* | awk -F: '{s += $2} END {print s}')
printf 'processes: 6 adding modules, 2 adding lines\n'
printf 'adds reported: %d (%d modules of 120 (line, ID) pairs, %d lines)\n' "$reported" "$modules" "$((reported - modules))"
printf 'lost: %d\n' "$lost"
awk -v s="$start" -v e="$end" 'BEGIN { printf "time: %.2f s\n", e - s }'
