#!/usr/bin/env bash
# The built help file is a compiled-help archive (signature "ITSF") whose directory, the
# chunks headed "PMGL", names both language pages. With "optional" a help file that the
# build left out (no chmcmd) skips the test (exit 77) instead of failing it.
#   help_file_test.sh <help.chm> [optional]
set -euo pipefail
file=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ ! -e "$file" ] && [ "${2:-}" = optional ]; then
    echo "SKIP: $file was not built (chmcmd missing)"
    exit 77
fi
[ -f "$file" ] || fail "$file is missing"
[ "$(head -c 4 "$file")" = ITSF ] || fail "$file does not start with ITSF"
directory=$(grep -abo -m 1 PMGL "$file" | head -n 1 | cut -d: -f1 || true)
[ -n "$directory" ] || fail "$file has no directory chunk"
for page in /en.html /de.html; do
    grep -qaF "$page" <(tail -c +"$((directory + 1))" "$file") ||
        fail "$page is not in the directory of $file"
done
echo "$file holds /en.html and /de.html"
