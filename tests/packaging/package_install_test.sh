#!/usr/bin/env bash
# Builds the Debian package from this build, inspects it, installs it into this machine, checks
# the capabilities and that they work for an ordinary user (nobody), then removes it and checks
# that nothing is left. Root only (exit 77, skipped, otherwise); also skipped where a lumo-panel
# package is already installed, so as not to take a technician's installation away.
# usage: package_install_test.sh BUILD_DIR
set -euo pipefail
build=$1
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "needs root"
for tool in dpkg dpkg-deb cpack getcap setcap setpriv unshare ip flock; do
  command -v $tool >/dev/null || skip "no $tool"
done
# One such test at a time on the machine (two build trees, two clones), and a package this test
# left behind when it was killed is removed first; one installed by someone else is left alone.
exec 9>/run/lock/lumo-panel-package-test.lock
flock 9
marker=/run/lumo-panel-package-test.installed
if [ -e "$marker" ]; then
  dpkg -P lumo-panel >/dev/null 2>&1 || true
  rm -f "$marker"
fi
dpkg-query -W -f='${Status}' lumo-panel 2>/dev/null | grep -q "ok installed" && skip "lumo-panel is installed here"

work=$(mktemp -d)
trap 'if [ -e "$marker" ]; then dpkg -P lumo-panel >/dev/null 2>&1 || true; rm -f "$marker"; fi; rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >cpack.log 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/lumo-panel_*.deb)

# What is in it.
dpkg-deb -f "$deb" Package | grep -qx lumo-panel || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6; do
  [[ $depends == *"$dep"* ]] || fail "no dependency on $dep: $depends"
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/lumo-hw ./usr/bin/lumo-ctl ./usr/bin/lumo-sim ./usr/share/applications/lumo-panel.desktop \
         ./usr/share/icons/hicolor/scalable/apps/lumo-panel.svg ./usr/share/icons/hicolor/48x48/apps/lumo-panel.png \
         ./usr/lib/udev/rules.d/60-lumo-cp210x.rules ./usr/share/man/man1/lumo-ctl.1.gz \
         ./usr/share/man/man1/lumo-hw.1.gz ./usr/share/man/man1/lumo-sim.1.gz \
         ./usr/share/bash-completion/completions/lumo-ctl ./usr/share/lumo-panel/novinky_verze_2.txt; do
  grep -qx "$f" <<<"$files" || fail "missing $f"
done
mkdir "$work/control" && dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "no postinst"
grep -q 'setcap cap_net_raw,cap_net_admin+ep' "$work/control/postinst" || fail "postinst grants no capabilities"
[ ! -e "$work/control/postrm" ] || fail "a postrm"
# Where the capabilities cannot be had (a bounding set without them), postinst takes them off
# again rather than leave a program the kernel refuses to start.
mkdir -p "$work/root/usr/bin" && cp /bin/true "$work/root/usr/bin/lumo-ctl"
sed "s|/usr/bin/|$work/root/usr/bin/|g" "$work/control/postinst" >"$work/postinst-here" && chmod 755 "$work/postinst-here"
setpriv --bounding-set -net_admin "$work/postinst-here" configure 2>"$work/postinst.err" || fail "postinst failed"
[ -z "$(getcap "$work/root/usr/bin/lumo-ctl")" ] || fail "postinst left capabilities the system cannot grant"
grep -q "bounding set" "$work/postinst.err" || fail "postinst said nothing: $(cat "$work/postinst.err")"

# Installed: the capabilities are on both programs and work for a user without privileges.
touch "$marker"
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
for program in /usr/bin/lumo-hw /usr/bin/lumo-ctl; do
  caps=$(getcap "$program")
  [[ $caps == *cap_net_admin,cap_net_raw=ep* ]] || fail "capabilities of $program: '$caps'"
done
/usr/bin/lumo-ctl --version | grep -Eq '^lumo-ctl 2\.32 \(.+\)$' || fail "lumo-ctl --version"
/usr/bin/lumo-hw --version | grep -Eq '^lumo-hw 2\.32 \(.+\)$' || fail "lumo-hw --version"
# As nobody, in a network namespace of its own where no group may use ping sockets: only the
# capability can let the probe through. A copy without it is refused plainly.
cp /usr/bin/lumo-ctl "$work/plain-lumo-ctl" && chmod 755 "$work" "$work/plain-lumo-ctl"
probe_as_nobody() {
  unshare -n sh -c 'ip link set lo up && echo "1 0" >/proc/sys/net/ipv4/ping_group_range &&
                    cd / && exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$0" probe 127.0.0.1' "$1" 2>&1
}
out=$(probe_as_nobody /usr/bin/lumo-ctl) || fail "probe as nobody through the capability: $out"
[ "$out" = "127.0.0.1 answers" ] || fail "probe as nobody through the capability: $out"
out=$(probe_as_nobody "$work/plain-lumo-ctl") && fail "probe without the capability succeeded: $out"
[[ $out == *"may not send ICMP echo requests"* ]] || fail "probe without the capability: $out"

# Removed: nothing of it stays.
dpkg -P lumo-panel >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -P"; }
rm -f "$marker"
while read -r f; do
  f=${f#.}
  [ -z "$f" ] || [ -d "$f" ] || [ ! -e "$f" ] || fail "left behind: $f"
done <<<"$files"
for d in /usr/share/lumo-panel /usr/share/bash-completion/completions/lumo-ctl; do
  [ ! -e "$d" ] || fail "left behind: $d"
done
echo "package: built, inspected, installed, probed as nobody, removed"
