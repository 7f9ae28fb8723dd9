#!/usr/bin/env bash
# bookzip cat / bookzip test against archives made here by zip, checking
# bytes and exit codes (0 extracted, 1 nothing or a failed check, 2 error).
# Usage: bookzip_extract_test.sh BOOKZIP-COMMAND... (e.g. wine-run bookzip.exe)
set -u
bookzip=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect CODE DESCRIPTION -- runs bookzip with the remaining arguments
expect() {
  local want=$1 what=$2; shift 2
  "${bookzip[@]}" "$@" > out.bin 2> err.txt
  local got=$?
  [ "$got" = "$want" ] || fail "$what: exit $got, expected $want ($(tr -d '\r' < err.txt))"
}

mkdir -p files/pages
printf 'FWS\x0a\x00\x00\x00 movie bytes\r\n' > book.swf
for i in $(seq 1 4000); do echo "page $i of the book, line $((i * 7))"; done > files/book.bin
head -c 30000 /dev/urandom > files/pages/001.jpg
zip -q -X -r book.zip book.swf files
# Stored, so that a wrong password which passes the one-byte key check (one
# time in 256) still ends in a CRC failure (exit 1), never in a decoding error.
zip -q -X -0 -P 'pass word' enc.zip files/book.bin
echo "just text" > notzip.vlq

expect 0 "cat stored/deflated entry" cat book.zip 'files\book.bin'
cmp -s out.bin files/book.bin || fail "cat gives other bytes than the original"
expect 0 "cat binary entry" cat book.zip 'files\pages\001.jpg'
cmp -s out.bin files/pages/001.jpg || fail "cat changes binary bytes"
expect 0 "cat ignores letter case" cat book.zip 'BOOK.SWF'
cmp -s out.bin book.swf || fail "cat BOOK.SWF gives other bytes"
expect 1 "cat of a missing entry" cat book.zip 'files\missing.xml'
[ -s out.bin ] && fail "cat of a missing entry wrote bytes"
expect 1 "cat without the password" cat enc.zip 'files\book.bin'
expect 1 "cat with a wrong password" cat enc.zip 'files\book.bin' --password 'Pass word'
expect 0 "cat with the password" cat enc.zip 'files\book.bin' --password 'pass word'
cmp -s out.bin files/book.bin || fail "decrypted bytes differ"
expect 2 "cat from a text file" cat notzip.vlq 'book.swf'
grep -q "Incomplete Zip File" err.txt || fail "no 'Incomplete Zip File' on standard error"

# Damage the deflate data of files/book.bin (block type 3 does not exist).
offset=$(python3 - <<'PY'
import zipfile
with zipfile.ZipFile("book.zip") as z:
    info = z.getinfo("files/book.bin")
    print(info.header_offset + 30 + len(info.filename))
PY
)
cp book.zip damaged.zip
printf '\xff' | dd of=damaged.zip bs=1 seek="$offset" conv=notrunc status=none
expect 2 "cat of corrupt deflate data" cat damaged.zip 'files\book.bin'
grep -qx "error" <(tr -d '\r' < err.txt) || fail "corrupt deflate data does not say 'error'"

# Without its end record the archive needs --incomplete bad.
size=$(stat -c %s book.zip)
head -c $((size - 22)) book.zip > cut.zip
expect 2 "cat from a cut archive" cat cut.zip 'book.swf'
expect 0 "cat from a cut archive assumed bad" cat cut.zip 'book.swf' --incomplete bad
cmp -s out.bin book.swf || fail "recovered entry differs"

expect 0 "test of a sound book" test book.zip
[ "$(grep -c '^OK' out.bin)" = 3 ] || fail "test does not report three sound entries: $(cat out.bin)"
expect 1 "test without the password" test enc.zip
grep -q "FAILED.*password" out.bin || fail "test does not name the password problem: $(cat out.bin)"
expect 1 "test of a damaged book" test damaged.zip
grep -q "FAILED.*error" out.bin || fail "test does not report the damaged entry: $(cat out.bin)"
# The entries on either side of the damaged one are still tested.
[ "$(grep -c '^OK' out.bin)" = 2 ] || fail "test stops at the damaged entry: $(cat out.bin)"
expect 0 "test with the password" test enc.zip --password 'pass word'

[ "$failures" = 0 ] && echo "bookzip extraction commands: all checks passed"
exit $((failures > 0))
