#!/usr/bin/env bash
# Scale of rzreg's .reg import: generates, in a temporary folder, (1) a 200 MB file of many keys
# and values of mixed types (UTF-16, as exports are), (2) one key 100,000 levels deep,
# (3) 1,000,000 keys of one value each, (4) 1,000,000 values in one key; imports each into
# private hives and, for (2), runs query /s, export and delete of the top key. Prints, per
# run: exit status and the program's first line, elapsed time and peak resident memory.
#
# Usage: bench/rzregScale.sh [RZREG] [SCALE]
#   RZREG  the rzreg binary (default: rzreg from PATH)
#   SCALE  a factor on every size, e.g. 0.1 for a quick run (default 1)
# RZ_BENCH_LIMIT (seconds, default 1800) ends a run that takes longer (exit status 124);
# RZ_BENCH_MEMORY (MB of address space, default 4096) keeps a run from taking the machine.
# Needs /usr/bin/time (Debian package `time`) and python3.
set -euo pipefail

rzreg=$(command -v "${1:-rzreg}") || { echo "no rzreg binary: ${1:-rzreg}" >&2; exit 2; }
scale=${2:-1}
limit=${RZ_BENCH_LIMIT:-1800}
memory=${RZ_BENCH_MEMORY:-4096}
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time: apt-get install time" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/home" XDG_CONFIG_DIRS="$work/dirs"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"

python3 - "$work" "$scale" <<'PY'
import sys
work, scale = sys.argv[1], float(sys.argv[2])
head = "Windows Registry Editor Version 5.00\r\n\r\n"
top = "HKEY_CURRENT_USER\\Software\\rzScale"

def hexLines(prefix, data):
    line, out = prefix, []
    for i, b in enumerate(data):
        line += "%02x" % b
        if i + 1 < len(data):
            line += ","
            if len(line) >= 77:
                out.append(line + "\\")
                line = "  "
    out.append(line)
    return "\r\n".join(out)

def mixedBlock(k):
    v = [f'[{top}\\mixed\\group{k // 1000}\\key{k}]']
    v.append(f'"name"="value number {k} of the scale file, some text to carry"')
    v.append(f'"count"=dword:{k & 0xffffffff:08x}')
    v.append(hexLines('"blob"=hex:', bytes((k + i) & 0xff for i in range(96))))
    v.append(hexLines('"path"=hex(2):', "%APPDATA%\\scale\0".encode("utf-16-le")))
    v.append(hexLines('"list"=hex(7):', "one\0two\0three\0\0".encode("utf-16-le")))
    v.append(hexLines('"big"=hex(b):', (k * 7919).to_bytes(8, "little")))
    v.append('@="default"')
    return "\r\n".join(v) + "\r\n\r\n"

target = int(200 * 1024 * 1024 * scale)
with open(f"{work}/1-mixed.reg", "wb") as f:
    f.write(b"\xff\xfe" + head.encode("utf-16-le"))
    size, k, chunk = 0, 0, []
    while size < target:
        block = mixedBlock(k).encode("utf-16-le")
        chunk.append(block)
        size += len(block)
        k += 1
        if len(chunk) == 1000:
            f.write(b"".join(chunk))
            chunk = []
    f.write(b"".join(chunk))

levels = int(100000 * scale)
with open(f"{work}/2-deep.reg", "w", newline="") as f:
    f.write(head + "[" + top + "\\deep" + "\\n" * levels + "]\r\n\"v\"=dword:00000001\r\n")

count = int(1000000 * scale)
with open(f"{work}/3-keys.reg", "w", newline="") as f:
    f.write(head)
    for i in range(count):
        f.write(f'[{top}\\keys\\k{i}]\r\n"v"=dword:{i:08x}\r\n\r\n')

with open(f"{work}/4-values.reg", "w", newline="") as f:
    f.write(head + f"[{top}\\values]\r\n")
    for i in range(count):
        f.write(f'"v{i}"=dword:{i:08x}\r\n')
PY

printf '%-22s %10s  %-58s %10s %12s\n' case "file MB" "exit status: first line" "elapsed" "peak RSS MB"
measure() {
    local name=$1 file=$2
    shift 2
    local mb="-"
    [ -n "$file" ] && mb=$(( $(stat -c %s "$file") / 1048576 ))
    local status=0
    (ulimit -v $((memory * 1024)) && exec /usr/bin/time -v -o "$work/time" timeout "$limit" \
        "$rzreg" "$@") >"$work/out" 2>"$work/err" </dev/null || status=$?
    local first
    first=$(cat "$work/err" "$work/out" | grep -v '^$' | head -n 1 | sed "s|$work/||g" | cut -c1-50 || true)
    local elapsed rss
    elapsed=$(sed -n 's/.*Elapsed (wall clock) time.*: //p' "$work/time")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    printf '%-22s %10s  %-58s %10s %12s\n' "$name" "$mb" "$status: $first" "$elapsed" "$((rss / 1024))"
}

top='HKCU\Software\rzScale'
measure "import 200 MB mixed" "$work/1-mixed.reg" import "$work/1-mixed.reg"
measure "import deep" "$work/2-deep.reg" import "$work/2-deep.reg"
measure "query /s deep top" "" query "$top\\deep" /s
measure "export deep top" "" export "$top\\deep" "$work/deep-out.reg" /y
measure "delete deep top" "" delete "$top\\deep" /f
measure "import 1M keys" "$work/3-keys.reg" import "$work/3-keys.reg"
measure "import 1M values" "$work/4-values.reg" import "$work/4-values.reg"
