#!/usr/bin/env bash
# Builds the Debian package from this build, inspects it, installs it into this machine and
# checks who may do what: no program but lumo-net-helper carries capabilities or set-id bits, the
# helper is root:lumo 0750 with exactly its two, a Qt plugin a user slips into lumo-hw runs
# without any capability, and the ICMP probe as an ordinary user (nobody) goes through the
# helper for a member of the group lumo only. Then it removes the package and checks that
# nothing is left. Root only (exit 77, skipped, otherwise); also skipped where a lumo-panel
# package is already installed, so as not to take a technician's installation away.
# usage: package_install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
helper=/usr/libexec/lumo-panel/lumo-net-helper
postinst=/var/lib/dpkg/info/lumo-panel.postinst
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "needs root"
for tool in dpkg dpkg-deb dpkg-statoverride cpack getcap setcap setpriv unshare ip flock getent groupdel timeout; do
  command -v $tool >/dev/null || skip "no $tool"
done
# One such test at a time on the machine (two build trees, two clones), and a package this test
# left behind when it was killed is removed first, with the group lumo when the test made it;
# one installed by someone else is left alone.
exec 9>/run/lock/lumo-panel-package-test.lock
flock 9
marker=/run/lumo-panel-package-test.installed
clean_up_installation() {
  if [ -e "$marker" ]; then
    dpkg -P lumo-panel >/dev/null 2>&1 || true
    if grep -qx group-made-here "$marker"; then groupdel lumo >/dev/null 2>&1 || true; fi
    rm -f "$marker"
  fi
}
clean_up_installation
dpkg-query -W -f='${Status}' lumo-panel 2>/dev/null | grep -q "ok installed" && skip "lumo-panel is installed here"

work=$(mktemp -d)
trap 'clean_up_installation; rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >cpack.log 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/lumo-panel_*.deb)

# What is in it.
dpkg-deb -f "$deb" Package | grep -qx lumo-panel || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libcap2-bin passwd; do
  [[ $depends == *"$dep"* ]] || fail "no dependency on $dep: $depends"
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/lumo-hw ./usr/bin/lumo-ctl ./usr/bin/lumo-sim ."$helper" ./usr/share/applications/lumo-panel.desktop \
         ./usr/share/icons/hicolor/scalable/apps/lumo-panel.svg ./usr/share/icons/hicolor/48x48/apps/lumo-panel.png \
         ./usr/lib/udev/rules.d/60-lumo-cp210x.rules ./usr/share/man/man1/lumo-ctl.1.gz \
         ./usr/share/man/man1/lumo-hw.1.gz ./usr/share/man/man1/lumo-sim.1.gz ./usr/share/man/man8/lumo-net-helper.8.gz \
         ./usr/share/bash-completion/completions/lumo-ctl ./usr/share/lumo-panel/novinky_verze_2.txt; do
  grep -qx "$f" <<<"$files" || fail "missing $f"
done
mkdir "$work/control" && dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "no $script"
done
grep -q "$helper" "$work/control/postinst" || fail "postinst does not name the helper"
grep -q 'setcap cap_net_raw,cap_net_admin+ep "$helper"' "$work/control/postinst" || fail "postinst grants the helper no capabilities"
grep -q 'dpkg-statoverride --remove' "$work/control/postrm" || fail "postrm drops no owner and mode"

# Every program the package installs, and every file: owner, group, mode (no set-id bit on any)
# and capabilities ("-" none), as they must be.
programs=$(grep -E '^\./usr/(bin|sbin|libexec)/.*[^/]$' <<<"$files" | sed 's|^\.||')
check_programs() {  # the helper's mode
  local table path owner group mode caps got
  table="/usr/bin/lumo-hw root root 755 -
/usr/bin/lumo-ctl root root 755 -
/usr/bin/lumo-sim root root 755 -
$helper root lumo $1 cap_net_admin,cap_net_raw=ep"
  while read -r path; do
    grep -q "^$path " <<<"$table" || fail "$path is not in the table of programs"
  done <<<"$programs"
  while read -r path owner group mode caps; do
    got=$(getcap "$path")
    got=${got#"$path "}
    got="$(stat -c '%U %G %a' "$path") ${got:--}"
    [ "$got" = "$owner $group $mode $caps" ] || fail "$path: '$got', expected '$owner $group $mode $caps'"
  done <<<"$table"
  while read -r path; do
    path=${path#.}
    [ -z "$path" ] || [ -d "$path" ] || [ "$path" = "$helper" ] || [ -z "$(getcap "$path")" ] || fail "capabilities on $path"
    [ -z "$path" ] || [ -d "$path" ] || [ -z "$(find "$path" -perm /6000)" ] || fail "set-id bit on $path"
  done <<<"$files"
}

# Installed: the group lumo is made, the helper is its and carries the capabilities, nothing else
# does; the first installation tells how a technician is admitted.
if getent group lumo >/dev/null; then : >"$marker"; else echo group-made-here >"$marker"; fi
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
gid=$(getent group lumo | cut -d: -f3) || fail "no group lumo"
[ "$gid" -lt 1000 ] || fail "lumo is not a system group: $gid"
grep -q 'adduser USER lumo' "$work/dpkg.log" || fail "the installation does not tell how a technician is admitted: $(cat "$work/dpkg.log")"
dpkg-statoverride --list "$helper" | grep -qx "root lumo 750 $helper" || fail "owner and mode of the helper not registered"
check_programs 750
/usr/bin/lumo-ctl --version | grep -Eq '^lumo-ctl 2\.32 \(.+\)$' || fail "lumo-ctl --version"
/usr/bin/lumo-hw --version | grep -Eq '^lumo-hw 2\.32 \(.+\)$' || fail "lumo-hw --version"
[ "$("$helper" --version | wc -l)" -eq 1 ] || fail "lumo-net-helper --version"

# Configured again over an older version's capabilities on the programs and an administrator's
# own mode for the helper: the programs lose them, the mode stays, the helper keeps its
# capabilities (granted after the mode), and nothing is said to the technician again.
setcap cap_net_raw,cap_net_admin+ep /usr/bin/lumo-hw
setcap cap_net_raw,cap_net_admin+ep /usr/bin/lumo-ctl
dpkg-statoverride --remove "$helper" && dpkg-statoverride --add root lumo 0710 "$helper"
"$postinst" configure 2.32 >"$work/postinst.out" 2>&1 || fail "postinst configure: $(cat "$work/postinst.out")"
check_programs 710
[ ! -s "$work/postinst.out" ] || fail "postinst configure again says: $(cat "$work/postinst.out")"
dpkg-statoverride --remove "$helper" && dpkg-statoverride --add root lumo 0750 "$helper"
"$postinst" configure 2.32 >/dev/null
check_programs 750
# Where the capabilities cannot be had (a bounding set without them), postinst takes them off
# the helper again rather than leave a program the kernel refuses to start, and says so.
setpriv --bounding-set -net_admin "$postinst" configure 2.32 2>"$work/postinst.err" || fail "postinst failed"
[ -z "$(getcap "$helper")" ] || fail "postinst left capabilities the system cannot grant"
grep -q "bounding set" "$work/postinst.err" || fail "postinst said nothing: $(cat "$work/postinst.err")"
"$postinst" configure 2.32 >/dev/null
check_programs 750

chmod 755 "$work"

# A style plugin of the user's own, loaded by lumo-hw through QT_PLUGIN_PATH, runs without any
# capability: it writes its CapEff and ends the program.
mkdir -p "$work/trial" "$work/plugins/styles" "$work/seen" "$work/home"
chmod 1777 "$work/seen" "$work/home"
cat >"$work/trial/trial.json" <<'EOF'
{"Keys":["lumotrial"]}
EOF
cat >"$work/trial/trial.cpp" <<'EOF'
#include <QStylePlugin>
#include <fstream>
#include <string>
#include <unistd.h>

class Trial : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "trial.json")
public:
    QStyle* create(const QString&) override {
        std::ifstream status("/proc/self/status");
        std::ofstream seen(SEEN_FILE);
        for (std::string line; std::getline(status, line);)
            if (line.rfind("CapEff:", 0) == 0) seen << line << '\n';
        seen.close();
        _exit(0);
    }
};
#include "trial.moc"
EOF
cat >"$work/trial/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(trial LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Widgets)
set(CMAKE_AUTOMOC ON)
add_library(trial MODULE trial.cpp)
target_link_libraries(trial PRIVATE Qt6::Widgets)
target_compile_definitions(trial PRIVATE SEEN_FILE="${SEEN_FILE}")
EOF
if command -v cmake >/dev/null &&
   cmake -S "$work/trial" -B "$work/trial/build" -DSEEN_FILE="$work/seen/capeff" >"$work/trial.log" 2>&1 &&
   cmake --build "$work/trial/build" >>"$work/trial.log" 2>&1; then
  cp "$work/trial/build/libtrial.so" "$work/plugins/styles/"
  (cd "$work/home" && timeout 60 env -i PATH=/usr/bin:/bin HOME="$work/home" QT_PLUGIN_PATH="$work/plugins" \
     QT_STYLE_OVERRIDE=lumotrial QT_QPA_PLATFORM=offscreen setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/lumo-hw \
     >"$work/lumo-hw.log" 2>&1) || true
  [ -e "$work/seen/capeff" ] || fail "the style plugin did not run in lumo-hw: $(cat "$work/lumo-hw.log")"
  capeff=$(cat "$work/seen/capeff")
  [ "$capeff" = $'CapEff:\t0000000000000000' ] || fail "a user's plugin in lumo-hw runs with capabilities: $capeff"
else
  echo "SKIP: no Qt 6 style plugin could be built here, so lumo-hw was not tried with one: $(tail -n 3 "$work/trial.log")"
fi

# The ICMP probe as nobody, in a network namespace of its own where no group may use ping
# sockets: outside the group lumo it is refused with the way in; in the group the helper opens
# the raw socket for it.
probe_as_nobody() {  # setpriv's groups option
  unshare -n sh -c 'ip link set lo up && echo "1 0" >/proc/sys/net/ipv4/ping_group_range &&
                    cd / && exec setpriv --reuid=nobody --regid=nogroup "$0" /usr/bin/lumo-ctl probe 127.0.0.1' "$1" 2>&1
}
out=$(probe_as_nobody --clear-groups) && fail "probe outside the group lumo succeeded: $out"
[[ $out == *lumo* && $out == *adduser* ]] || fail "probe outside the group lumo does not name the group and adduser: $out"
out=$(probe_as_nobody --groups="$gid") || fail "probe in the group lumo: $out"
[ "$out" = "127.0.0.1 answers" ] || fail "probe in the group lumo: $out"

# Removed: nothing of it stays, nor the helper's registered owner and mode; the group does.
dpkg -P lumo-panel >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -P"; }
while read -r f; do
  f=${f#.}
  [ -z "$f" ] || [ -d "$f" ] || [ ! -e "$f" ] || fail "left behind: $f"
done <<<"$files"
for d in /usr/share/lumo-panel /usr/libexec/lumo-panel /usr/share/bash-completion/completions/lumo-ctl; do
  [ ! -e "$d" ] || fail "left behind: $d"
done
dpkg-statoverride --list "$helper" >/dev/null && fail "the helper's owner and mode are still registered"
getent group lumo >/dev/null || fail "purge removed the group lumo"
clean_up_installation
echo "package: built, inspected, installed, configured again, plugin tried, probed as nobody, removed"
