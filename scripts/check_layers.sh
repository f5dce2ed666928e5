#!/usr/bin/env bash
# Checks the layer order over the #include lines of the program's sources:
#   platform < base < model < comm < discovery, serial < device < service < actions, app < ui
#   < front ends (ui/qt with its dialogs, ui/win32 with its dialogs, cli, sim, nethelper).
# A core file includes only its own folder and the folders below it (folders of one rank do
# not include each other), standard headers and the platform's interface headers; never a Qt
# or OS header, never an OS #ifdef. The platform's implementations (posix/, win32/) include
# nothing of the core. Front ends do not include each other. Prints each offending line and
# exits 1.
#   scripts/check_layers.sh [ROOT]
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

folders=()
for f in platform base model comm discovery serial device service actions app ui cli sim nethelper; do
  [ -d "$f" ] && folders+=("$f")
done
find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) | sort |
awk '
function folder(path,    parts, n) {
    n = split(path, parts, "/")
    if (parts[1] == "ui" && (parts[2] == "qt" || parts[2] == "win32")) return "ui/" parts[2]
    if (parts[1] == "platform" && (parts[2] == "posix" || parts[2] == "win32")) return "platform/" parts[2]
    return parts[1]
}
function includedFolder(inc,    parts, n) {
    n = split(inc, parts, "/")
    if (n < 2) return ""
    if (parts[1] == "ui" && (parts[2] == "qt" || parts[2] == "win32")) return "ui/" parts[2]
    if (parts[1] == "platform" && (parts[2] == "posix" || parts[2] == "win32")) return "platform/" parts[2]
    return parts[1]
}
function fail(file, line, text, why) {
    printf "layers: %s:%d: %s\n    %s\n", file, line, text, why
    bad = 1
}
BEGIN {
    split("platform base model comm discovery serial device service actions app ui", order, " ")
    rank["platform"] = 0; rank["base"] = 1; rank["model"] = 2; rank["comm"] = 3
    rank["discovery"] = 4; rank["serial"] = 4; rank["device"] = 5; rank["service"] = 6
    rank["actions"] = 7; rank["app"] = 7; rank["ui"] = 8
    front["ui/qt"] = 1; front["ui/win32"] = 1; front["cli"] = 1; front["sim"] = 1; front["nethelper"] = 1
}
{
    file = $0
    from = folder(file)
    core = (from in rank) && from != "platform"
    iface = (from == "platform")
    impl = (from ~ /^platform\//)
    lineNo = 0
    while ((getline text < file) > 0) {
        lineNo++
        if (text ~ /^[ \t]*#[ \t]*if.*(_WIN32|_WIN64|__linux__|__APPLE__|__unix__|_MSC_VER|__MINGW)/ && !impl && !iface)
            fail(file, lineNo, text, "an operating-system #if belongs in platform/")
        if (text !~ /^[ \t]*#[ \t]*include/) continue
        if (match(text, /<[^>]*>/)) {
            header = substr(text, RSTART + 1, RLENGTH - 2)
            if ((core || iface) && header !~ /^[a-z][a-z0-9_]*$/)
                fail(file, lineNo, text, from " is " (iface ? "a platform interface" : "core") \
                     ": only standard headers, no Qt or OS header")
            continue
        }
        if (!match(text, /"[^"]*"/)) continue
        inc = substr(text, RSTART + 1, RLENGTH - 2)
        to = includedFolder(inc)
        if (to == "" || to == from) continue
        if (impl) {
            if (to != "platform") fail(file, lineNo, text, "the platform layer never calls up into " to)
            continue
        }
        if (from in front) {
            if (to in front)
                fail(file, lineNo, text, "front ends do not include each other (" from " -> " to ")")
            continue
        }
        if (to in front) { fail(file, lineNo, text, from " is core; " to " is a front end"); continue }
        if (to ~ /^platform\//) { fail(file, lineNo, text, "only the platform interface headers are included, not " to); continue }
        if (!(to in rank)) continue
        if (rank[to] > rank[from])
            fail(file, lineNo, text, to " is above " from " (" rank[to] " > " rank[from] "): the include points up")
        else if (rank[to] == rank[from])
            fail(file, lineNo, text, to " and " from " are one layer: they do not include each other")
    }
    close(file)
}
END {
    if (bad) {
        print "layers: the order is platform < base < model < comm < discovery, serial < device < service" \
              " < actions, app < ui < front ends (docs/architecture.md)"
        exit 1
    }
}
'
