#!/usr/bin/env bash
# Whole runs whose exit status and last lines must tell the truth: steps that
# fail on a full install base or a read-only /usr (status 3 and a summary),
# a command that fails and stops the run (named on standard error), and a
# package list with lines that are too long, hold a NUL byte or hold words a
# command line may not (skipped whole, status 3, nothing changed outside
# the application directory).
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

LIST=$W/pkg/pkg.list
SH='/usr/bin/sh -c "'
SEE_LOG="Every failure is in the log /tmp/setup.log."

# src NAME BASH: a copy of the fixture, changed by BASH run in its folder.
src() {
    SRC=$SCRATCH_ROOT/src/$1
    mkdir -p -- "$SCRATCH_ROOT/src" && cp -r -- "$FIXTURE_COPY" "$SRC" && (cd "$SRC" && eval "$2")
}

# ---- a full install base: the copies that find no room are counted -------
fresh
src full 'head -c 400K /dev/urandom >pkg/lib/blob'
MEDIUM=$(make_medium full --isize 0)
PRE='mount -t tmpfs -o size=256k e2e-full /opt'
run full_base install /opt
expect_status 3
expect_eq "standard error" "$ERR" "2 step(s) of the installation failed; the first of them, as logged:
  ${SH}/usr/bin/cp -pr $W/pkg/lib /opt/Varen/tvxx
  ${SH}/usr/bin/cp -p $W/pkg/tvxx.cfg /opt/Varen/tvxx
$SEE_LOG
"
expect_eq "warnings in the log" "$(grep -c '^WARNING_MSG: exit status 1$' <<<"$LOG")" 2

# ---- an upgrade under /opt with /usr read-only: the wrapper is not written -
fresh
SEED=$(seed_installation /opt)
PRE='mount -o remount,ro /usr'
run readonly_usr
expect_status 3
expect_eq "standard error" "$ERR" "ERROR: can't open file, /usr/bin/tvadmin
1 step(s) of the installation failed; the first of them, as logged:
  couldn't write /usr/bin/tvadmin
$SEE_LOG
"
expect_contains "log" "$LOG" "WARNING: couldn't write /usr/bin/tvadmin"
expect_eq "installed" "$(file_text /opt/Varen/tvxx/tvxx.cfg)" "level=3.01.67"

# ---- a tar that cannot run: the stop names it ------------------------------
fresh
MEDIUM=$(make_medium plain)
SEED='chmod 000 /usr/bin/tar'
run hidden_tar
expect_status 1
expect_eq "end of standard output" "${OUT##*.}" "ERROR: exit status 126
"
expect_eq "standard error" "$ERR" "failed command: ${SH}/usr/bin/tar xvfp $W/Linuxi386Tvxx.tar
"
expect_absent /usr/Varen

# ---- package-list lines skipped whole ---------------------------------------
# A comment whose tail beyond 510 characters would make a line of its own, a
# NUL byte, a command substitution in a mode and a name that climbs out of
# the application directory; the lines after them are carried out.
fresh
src badlist "{ printf '# %0508d t e2e.tail mode 644 %090d\n' 0 0
  printf 't e2e.nul\0 mode 600\n'
  printf 't e2e.mode mode \$(touch\${IFS}/etc/e2e.pwned)\n'
  printf 't ../../../../etc/e2e.dotdot\n'
  cat pkg/pkg.list; } >pkg/new.list && mv pkg/new.list pkg/pkg.list"
MEDIUM=$(make_medium badlist)
run bad_list
expect_status 3
expect_eq "standard error" "$ERR" "4 step(s) of the installation failed; the first of them, as logged:
  package list $LIST line 1 skipped, longer than the line limit
  package list $LIST line 2 skipped, holds a NUL byte
  package list $LIST line 3 skipped, word not allowed: \$(touch\${IFS}/etc/e2e.pwned)
$SEE_LOG
"
expect_contains "log" "$LOG" "WARNING: package list $LIST line 4 skipped, word not allowed: ../../../../etc/e2e.dotdot"
expect_absent /etc/e2e.pwned /etc/e2e.dotdot $A/e2e.tail $A/e2e.nul $A/e2e.mode
expect_eq "edited tvxx.cfg" "$(file_text $A/tvxx.cfg)" "level=3.01.67"
expect_unchanged etc

finish
