#!/usr/bin/env bash
# large_file_test.sh MAVO WORKDIR - a 5 GiB sparse input, with bytes set
# on both sides of the 4 GiB mark: the run succeeds, the sizes in the
# messages and in the .csv header are the true 64-bit ones, and the .dec
# equals the input (compared by streaming). Needs about 5.5 GiB of disk.
set -euo pipefail
mavo=$1
dir=$(mktemp -d "$2/mavo-large-XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir"

size=$((5 << 30))
truncate -s "$size" in.bin
for offset in 0 1 4095 $((1 << 30)) $((4 << 30)) $(((4 << 30) + 1)) $(((4 << 30) + 77777)) $((size - 1)); do
    printf '\x5a\x01' | dd of=in.bin bs=1 seek="$offset" conv=notrunc status=none
done
truncate -s "$size" in.bin   # the last write may have grown it by a byte
# Bytes just below 4 GiB, so a section straddles the mark.
printf 'abcdefgh' | dd of=in.bin bs=1 seek=$(((4 << 30) - 4)) conv=notrunc status=none

"$mavo" in.bin > console.txt

enc=$(stat -c %s in.bin.enc)
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
{
    sjis "圧縮中: 完了 ${enc}byte($((enc / 1024))KB)"; printf '\n'
    sjis "CSV化: 完了"; printf '\n'
    sjis "解凍中: 完了 ${size}byte($((size / 1024))KB)"; printf '\n'
} > expected.txt
cmp console.txt expected.txt

header=$(head -n 1 in.bin.csv)
kb=$(awk -v n="$enc" 'BEGIN { printf "%.1f", n / 1024 }')
[ "$header" = "/* ${enc}byte(${kb}KB) */" ] || { echo "header: $header" >&2; exit 1; }
# Five characters an entry, a line end after every sixteenth.
[ "$(stat -c %s in.bin.csv)" -eq $((${#header} + 1 + 5 * enc + enc / 16)) ]

cmp in.bin in.bin.dec
echo "5 GiB round trip: stream $enc bytes, sizes reported in full"
