# Sourced by the scripts that drive lumo-hw.exe under wine: a virtual X display of its own with the
# openbox window manager (its processes in xvfb_pid and wm_pid, for the caller's clean-up), and
# the xdotool steps a technician's hands make. The caller defines fail() first.

# The display: Xvfb picks a free number and writes it to a pipe.
exec 5< <(exec Xvfb -displayfd 1 -screen 0 1280x900x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 20 number <&5 || fail "Xvfb did not start"
export DISPLAY=:$number
openbox >/dev/null 2>&1 &
wm_pid=$!

# Waits up to $2 seconds for a window titled exactly $1 (other than the window $3); prints its id.
window() {
  local deadline=$((SECONDS + ${2:-20})) id
  while [ $SECONDS -lt $deadline ]; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${3:-none}" | tail -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
gone() {  # waits up to $2 seconds until no window is titled $1
  local deadline=$((SECONDS + ${2:-10}))
  while [ $SECONDS -lt $deadline ]; do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}
keys() {  # keys to window $1
  local id=$1
  shift
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  xdotool key --delay 80 "$@"
}
