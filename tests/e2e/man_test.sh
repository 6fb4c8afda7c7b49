#!/usr/bin/env bash
# The manual page renders without a warning (groff with all warnings, man -l
# at a fixed width), has the usual sections and an indexable NAME line.
set -uo pipefail
page=${1:?usage: man_test.sh PAGE}
fail=0
bad() { echo "FAIL: $*"; fail=1; }
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) && [ -z "$warnings" ] || bad "groff warns: $warnings"
out=$(MANWIDTH=80 man --warnings -l "$page" 2>/dev/null)
err=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) && [ -z "$err" ] || bad "man -l complains: $err"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -qx "$section" <<<"$out" || bad "section $section is missing"
done
grep -q '"setup - ' <<<"$(lexgrog "$page" 2>&1)" || bad "the NAME line cannot be indexed"
[ "$fail" = 0 ] && echo "man page OK"
exit "$fail"
