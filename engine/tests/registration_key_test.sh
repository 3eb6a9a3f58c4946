#!/usr/bin/env bash
# The registration files as installed: the publisher's key goes into their
# [PwRegInfo] section once, their line ends stay, and without a key they are
# copied as they are; a file that holds no key is refused.
# Usage: registration_key_test.sh SOURCE_DIR
set -euo pipefail
source=$(cd "${1:?source directory}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
script="$source/engine/registration-key.cmake"
ini="$source/resources/patchwell/ISDNTA.ini"

minisign -G -W -p "$work/publisher.pub" -s "$work/publisher.key" > /dev/null
key=$(sed -n 2p "$work/publisher.pub")

cmake -DIN="$ini" -DOUT="$work/plain.ini" -DKEY_FILE= -P "$script"
cmp -s "$ini" "$work/plain.ini" || fail "without a key the file is not copied as it is"

cmake -DIN="$ini" -DOUT="$work/keyed.ini" -DKEY_FILE="$work/publisher.pub" -P "$script"
cmake -DIN="$work/keyed.ini" -DOUT="$work/again.ini" -DKEY_FILE="$work/publisher.pub" -P "$script"
for f in keyed again; do
  [ "$(grep -c "^UpdatePublicKey=$key"$'\r'"\$" "$work/$f.ini")" = 1 ] || fail "$f.ini does not hold the key once"
  [ "$(sed -n 2p "$work/$f.ini")" = $'[PwRegInfo]\r' ] || fail "$f.ini lost its section or line ends"
  [ "$(grep -vc "^UpdatePublicKey=" "$work/$f.ini")" = "$(wc -l < "$ini")" ] || fail "$f.ini lost a line"
done

if cmake -DIN="$ini" -DOUT="$work/bad.ini" -DKEY_FILE="$ini" -P "$script" 2> "$work/err"; then
  fail "a file without a key was taken as one"
fi
# cmake wraps its messages to the width of a terminal, wherever the path ends
tr -s ' \n' '  ' < "$work/err" | grep -q "holds no minisign public key" || fail "no reason given for a file without a key"
echo "ok"
