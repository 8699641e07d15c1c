#!/usr/bin/env bash
# make_corpus_test.sh MAKE_CORPUS - bench/make_corpus, given a folder that
# it did not make or a file, refuses it before any download and leaves it
# as it was: it replaces only a corpus of its own.
set -euo pipefail
make_corpus=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cases=$work/cases
mkdir -p "$cases/folder" "$cases/with-a-list"
echo "a file of the user's" >"$cases/folder/notes.txt"
echo "a file of the user's" >"$cases/plain-file"
# A checksum list of the corpus's name, and a file that it does not name.
echo "0000  listed.bin" >"$cases/with-a-list/corpus.sha256"
echo "listed" >"$cases/with-a-list/listed.bin"
echo "a file of the user's" >"$cases/with-a-list/notes.txt"

snapshot() { (cd "$cases" && find . -exec sh -c 'printf "%s " "$1"; [ -f "$1" ] && sha256sum <"$1" || echo' _ {} \; | sort); }

passed=0 failed=0
for target in folder plain-file with-a-list; do
    before=$(snapshot)
    if "$make_corpus" "$cases/$target" >"$work/out" 2>&1 </dev/null; then
        result="taken for a corpus"
    elif ! grep -q 'is not a corpus made by make_corpus' "$work/out"; then
        result="refused without saying why: $(cat "$work/out")"
    elif [ "$before" != "$(snapshot)" ]; then
        result="changed"
    else
        result=ok
    fi
    if [ "$result" = ok ]; then
        passed=$((passed + 1))
    else
        echo "FAIL: $target: $result"
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
