#!/usr/bin/env bash
# The manual page renders without a single warning (groff with all warnings
# on, and man -l as an administrator reads it), has the usual sections, and
# its NAME line can be indexed by whatis and apropos. Usage: man_test.sh PAGE
set -uo pipefail
page=${1:?usage: man_test.sh PAGE}
fail=0
bad() { echo "FAIL: $*"; fail=1; }
[ -f "$page" ] || { echo "FAIL: no manual page at $page"; exit 1; }
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || bad "groff warns: $warnings"
# A fixed width: the result does not depend on the terminal.
out=$(MANWIDTH=80 man --warnings -l "$page" 2>/dev/null)
err=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$err" ] || bad "man -l complains: $err"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -qx "$section" <<<"$out" || bad "section $section is missing"
done
whatis=$(lexgrog "$page" 2>&1)
grep -q '"setup - ' <<<"$whatis" || bad "NAME line cannot be indexed: $whatis"
[ "$fail" = 0 ] && echo "man page OK"
exit "$fail"
