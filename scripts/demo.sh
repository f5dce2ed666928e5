#!/usr/bin/env bash
# Installs what is missing, builds, and runs lumo-ctl on a demo installation in a fresh
# folder: two lines with modules, their tree and the status reports.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
ctl="$PWD/build/lumo-ctl"
demo=$(mktemp -d "${TMPDIR:-/tmp}/lumo-demo.XXXXXX")
trap 'rm -rf "$demo"' EXIT
mkdir -p "$demo/data"
run() { echo "\$ lumo-ctl $*"; "$ctl" -C "$demo" "$@"; }
run config set --data-dir "$demo/data"
run config show
run line add usb
run line add general
run module add 1 --type 4 --id 5
run module add 1 --type 3 --id 7
run module add 2 --type 48 --id 2
run toggle 1/2
run list
run report 1
run report 1/1
run report 1/2
run -y remove 1/2
run list
