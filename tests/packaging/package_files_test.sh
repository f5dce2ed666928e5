#!/usr/bin/env bash
# The files the package installs beside the programs: the desktop entry validates, every manual
# page renders, the udev rule matches the CP210x bridge and tags it for the user at the seat, the
# bash completion offers the commands and their options, and the maintainer scripts are plain sh.
# usage: package_files_test.sh SOURCE_DIR
set -euo pipefail
pkg=$1/packaging
fail() { echo "FAIL: $*" >&2; exit 1; }

# Hints pass (both main categories, Utility and System, are wanted); errors and warnings do not.
out=$(desktop-file-validate "$pkg/lumo-panel.desktop" 2>&1) || fail "desktop entry: $out"
grep -v 'hint:' <<<"$out" | grep -q . && fail "desktop entry: $out"
grep -qx 'Name\[cs\]=.*' "$pkg/lumo-panel.desktop" || fail "no Czech name"
grep -qx 'Categories=Utility;System;' "$pkg/lumo-panel.desktop" || fail "categories"

for page in lumo-ctl.1 lumo-hw.1 lumo-sim.1 lumo-net-helper.8; do
  out=$(MANWIDTH=80 man -l "$pkg/man/$page" 2>&1 >/dev/null) || fail "man $page: $out"
  [ -z "$out" ] || fail "man $page warns: $out"
done
for page in lumo-ctl.1 lumo-hw.1 lumo-net-helper.8; do
  MANWIDTH=80 man -l "$pkg/man/$page" | grep -q -- '--version' || fail "man $page names no --version"
done

for script in postinst postrm; do
  head -n 1 "$pkg/$script" | grep -qx '#!/bin/sh' || fail "$script is not a sh script"
  out=$(sh -n "$pkg/$script" 2>&1) || fail "$script: $out"
done

rules=$pkg/60-lumo-cp210x.rules
if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
  udevadm verify "$rules" || fail "udevadm verify"
fi
# Every rule: a subsystem, the vendor and product of the bridge, and the uaccess tag.
while IFS= read -r rule; do
  [[ $rule =~ ^SUBSYSTEM==\"(usb|tty)\",\ ATTRS\{idVendor\}==\"10c4\",\ ATTRS\{idProduct\}==\"ea60\",\ TAG\+=\"uaccess\"$ ]] ||
    fail "udev rule: $rule"
done < <(grep -v '^#' "$rules" | grep -v '^$')
[ "$(grep -c uaccess "$rules")" -ge 2 ] || fail "the tty and the usb device both need the tag"

# Completion: a table of command lines and what they must offer.
source "$pkg/lumo-ctl.bash-completion"
complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _lumo_ctl; echo "${COMPREPLY[*]}"; }
while IFS='|' read -r line expected; do
  read -ra words <<<"$line"
  [[ $line == *' ' ]] && words+=("")
  got=$(complete_words "${words[@]}")
  [ "$got" = "$expected" ] || fail "completing '$line': '$got', expected '$expected'"
done <<'CASES'
lumo-ctl c|config check clock counters
lumo-ctl --vers|--version
lumo-ctl -C /tmp li|list line
lumo-ctl line |add set
lumo-ctl line add tcp |
lumo-ctl line set 1 --parity |none odd even
lumo-ctl -y register |last list add
lumo-ctl transfer |send read
lumo-ctl pr|probe
lumo-ctl check --|--all --lines --max-lines
lumo-ctl clock --all --s|--set --system
lumo-ctl params --all --|--all --type --lines --max-lines --from-record
lumo-ctl -y download --all --type 10 --|--all --type --lines --max-lines --old-hardware
CASES
echo "package files: all checks passed"
