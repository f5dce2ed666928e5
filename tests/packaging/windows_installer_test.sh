#!/usr/bin/env bash
# The Windows installer under wine, in $WINEPREFIX (the build's prefix beside the installer when
# unset): installed silently (/S), its program folder holds lumo-hw.exe, lumo-ctl.exe, lumo-sim.exe,
# the release notes and the uninstaller; every user's Start menu has "Ovládací panel LUMO" for the
# panel; the system's list of programs has its entry; the installed lumo-ctl.exe and lumo-hw.exe
# start and name the installer's version. Uninstalled silently, nothing of it is left: no folder,
# no shortcut, no entry. A leftover of an interrupted run is removed first.
# usage: windows_installer_test.sh SETUP_EXE   (SETUP_EXE: .../lumo-panel-VERSION-setup.exe)
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
[ $# -eq 1 ] || { echo "usage: $0 SETUP_EXE" >&2; exit 2; }
setup=$(realpath "$1")
[ -f "$setup" ] || fail "no installer $1"
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
version=$(basename "$setup" -setup.exe)
version=${version#lumo-panel-}
export WINEPREFIX=${WINEPREFIX:-$(dirname "$setup")/wine} WINEDEBUG=-all
[ -d "$WINEPREFIX/drive_c" ] || fail "no wine prefix in $WINEPREFIX (scripts/test-windows.sh makes it)"

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\LUMO-panel'
location='C:\Program Files\LUMO\Ovládací panel'
vendor_folder="$WINEPREFIX/drive_c/Program Files/LUMO"
folder="$vendor_folder/Ovládací panel"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Ovládací panel LUMO.lnk"
work=$(mktemp -d)
clean_up() {
  rm -rf "$folder" "$shortcut"
  rmdir "$vendor_folder" 2>/dev/null || true
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  # The uninstaller's copy of itself ran from a temporary folder, left empty.
  find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -name '~nsu*.tmp' -empty -delete
}
trap 'clean_up; rm -rf "$work"' EXIT
clean_up

timeout 60 wine "$setup" /S || fail "the silent installation ended with $?"

# The files.
[ -d "$folder" ] || fail "no program folder $location"
listing=$(cd "$folder" && ls)
expected=$(printf '%s\n' lumo-ctl.exe lumo-hw.exe lumo-sim.exe novinky_verze_2.txt uninstall.exe)
[ "$listing" = "$expected" ] || fail "the program folder holds"$'\n'"$listing"$'\n'"instead of"$'\n'"$expected"
cmp -s "$source_dir/docs/novinky_verze_2.txt" "$folder/novinky_verze_2.txt" ||
  fail "novinky_verze_2.txt is not docs/novinky_verze_2.txt"

# The Start-menu shortcut, to the installed panel (the path is stored in UTF-16).
[ -f "$shortcut" ] || fail "no shortcut \"Ovládací panel LUMO\" in every user's Start menu Programs"
hex() { od -An -tx1 -v | tr -d ' \n'; }
target=$(printf '%s' "$location\\lumo-hw.exe" | iconv -t UTF-16LE | hex)
[[ $(hex <"$shortcut") == *"$target"* ]] || fail "the shortcut does not start $location\\lumo-hw.exe"

# The uninstall entry, read from the registry's export (UTF-16; the console's would be OEM-coded).
wine reg export "$key" "$(winepath -w "$work/entry.reg")" /y >/dev/null 2>&1 || fail "no uninstall entry $key"
entry=$(iconv -f UTF-16 -t UTF-8 "$work/entry.reg" | tr -d '\r')
windows_location=${location//\\/\\\\}
for line in "\"DisplayName\"=\"Ovládací panel LUMO\"" "\"DisplayVersion\"=\"$version\"" \
            "\"InstallLocation\"=\"$windows_location\"" \
            "\"UninstallString\"=\"\\\"$windows_location\\\\uninstall.exe\\\"\"" \
            "\"QuietUninstallString\"=\"\\\"$windows_location\\\\uninstall.exe\\\" /S\"" \
            '"NoModify"=dword:00000001' '"NoRepair"=dword:00000001'; do
  grep -qxF "$line" <<<"$entry" || fail "the uninstall entry has no $line:"$'\n'"$entry"
done
grep -qx '"Publisher"=".\+"' <<<"$entry" || fail "the uninstall entry names no publisher:"$'\n'"$entry"

# The installed programs start.
for program in lumo-ctl lumo-hw; do
  out=$(cd "$work" && timeout 30 wine "$folder/$program.exe" --version | tr -d '\r') ||
    fail "the installed $program.exe --version ended with an error: $out"
  [[ $out == "$program $version ("*")" ]] || fail "the installed $program.exe --version printed \"$out\""
done

# The uninstaller copies itself to the temporary folder, starts the copy and returns: wine's
# processes are waited for.
timeout 60 wine "$folder/uninstall.exe" /S || fail "the silent uninstallation ended with $?"
timeout 60 wineserver -w || fail "wine's processes (the uninstaller's copy) did not end within a minute"
[ ! -e "$folder" ] || fail "the program folder is left, with: $(cd "$folder" && ls)"
[ ! -e "$vendor_folder" ] || fail "the folder $vendor_folder is left"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is left"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"
echo "the installer $(basename "$setup") installs and uninstalls silently"
