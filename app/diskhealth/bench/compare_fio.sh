#!/usr/bin/env bash
# Compares the read benchmark's sequential rate and random access time on a file-backed
# simulated disk with fio reading the same file with the same block sizes and pattern
# (sequential 1,024,000-byte reads over the whole file; 2,000 random 512-byte reads), both from
# the page cache. Usage: compare_fio.sh BENCHMARK_EXE [MIB (default 256)]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
command -v fio >/dev/null || { echo "fio missing: tools/setup.sh --benchmarks"; exit 1; }
mib=${2:-256}
work=$(mktemp -d "${TMPDIR:-/tmp}/xarn-fio.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c "$((mib * 1048576))" /dev/urandom > disk.img
cat disk.img > /dev/null # both readers start from a warm page cache

ours=$("$top/tools/wine-run.sh" "$program" disk.img | tr -d '\r' | grep sequential_mib_s)
fio_json() {
    fio --name=read --filename=disk.img --ioengine=psync --direct=0 --invalidate=0 --output-format=json "$@"
}
seq_json=$(fio_json --rw=read --bs=1024000 --size="$((mib * 1048576 / 1024000 * 1024000))")
rand_json=$(fio_json --rw=randread --bs=512 --number_ios=2000 --norandommap --randrepeat=0)

python3 - "$ours" "$seq_json" "$rand_json" <<'PY'
import json, sys
ours = dict(item.split("=") for item in sys.argv[1].split())
seq = json.loads(sys.argv[2])["jobs"][0]["read"]
rand = json.loads(sys.argv[3])["jobs"][0]["read"]
fio_seq = seq["bw_bytes"] / 1048576
fio_rand = rand["clat_ns"]["mean"] / 1e6
our_seq = float(ours["sequential_mib_s"])
our_rand = float(ours["random_ms"])
print(f"sequential: benchmark {our_seq:.1f} MiB/s, fio {fio_seq:.1f} MiB/s, ratio {our_seq / fio_seq:.2f}")
print(f"random:     benchmark {our_rand:.4f} ms, fio {fio_rand:.4f} ms, ratio {our_rand / fio_rand:.2f}")
PY
