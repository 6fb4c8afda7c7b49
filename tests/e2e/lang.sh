#!/usr/bin/env bash
# Whole runs about the terminal's encoding and the language that LANG chooses, a forgotten base,
# output that cannot be written, and the questions answered by options with standard input closed.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need iconv
MEDIUM=$(make_medium split2 --pieces 2)
# Refusals only, in one sandbox. Per LANG the status and (ISO 8859-1) the start of the first line,
# bytes from 128 up in octal (\351 is the word's own); the whole refusal kept for the comparison
# below. Then the status and the lines of refusals and of output that cannot be written; nothing was
# made, locked or logged.
PROGRAM=/bin/bash
IFS= read -r -d '' CASES <<'SCRIPT' || :
echo kept >/tmp/setup.log
for v in {en_US,es_ES,it_IT,fr_FR,de_DE,pt_BR}.{UTF-8,ISO-8859-1}; do # other forms of LANG: nls_test
    LANG=$v /mnt/cd/setup $'--x\xe9' 2>"/tmp/e2e.$v"; printf '%s %s ' "$v" $?
    [ "${v#*.}" = UTF-8 ] || head -n 1 "/tmp/e2e.$v" | cut -b 1-38 | sed -n 'l 0' # UTF-8: compared below
done
say() { "$@" >/tmp/e2e.out 2>/tmp/e2e.err; echo "$? $(head -n 1 /tmp/e2e.out)|$(cut -b 1-60 /tmp/e2e.err | head -2)"; }
say /mnt/cd/setup /var/tmp/e2e.w install
for w in --help "/a b"; do /mnt/cd/setup "$w" >/dev/full 2>/tmp/e2e.err; echo "$w $? $(cat /tmp/e2e.err)"; done
for w in -v --bogus /etc/passwd; do /mnt/cd/setup $w 2>/dev/full >/tmp/e2e.out; echo "$w $? $(cat /tmp/e2e.out)"; done
LANG=de_DE.UTF-8 /mnt/cd/setup -v 2>/dev/full | sed -n 'l 0'
say /mnt/cd/setup --yes /var/tmp/e2e.w --no
say /mnt/cd/setup --running=quit --yes --yes --running=wait
say /mnt/cd/setup --running=later
echo "$(cat /tmp/setup.log) $(ls /run/VarenInstall.lock /var/tmp/e2e.w 2>&1 | sed "s/^ls: //")"
SCRIPT
run refusals -c "$CASES"
expect_status 0
IFS= read -r -d '' WANT <<'EOF' || :
en_US.UTF-8 2 en_US.ISO-8859-1 2 ERROR: --x\351 is not an option in this p$
es_ES.UTF-8 2 es_ES.ISO-8859-1 2 ERROR: --x\351 no es una opci\363n en este l$
it_IT.UTF-8 2 it_IT.ISO-8859-1 2 ERRORE: --x\351 non \350 un'opzione in quest$
fr_FR.UTF-8 2 fr_FR.ISO-8859-1 2 ERREUR : --x\351 n'est pas une option \340 c$
de_DE.UTF-8 2 de_DE.ISO-8859-1 2 FEHLER: --x\351 ist an dieser Stelle kein$
pt_BR.UTF-8 2 pt_BR.ISO-8859-1 2 ERRO: --x\351 n\343o \351 uma op\347\343o neste lugar$
2 |ERROR: install must be followed by the base to install into,
Usage: setup [WORKDIR] [install BASE] [--medium DIR] [--allo
--help 1 setup: write error on standard output: No space left on device
/a b 1 setup: write error on standard output: No space left on device
-v 1 setup: write error on standard error: No space left on device
--bogus 1 setup: write error on standard error: No space left on device
/etc/passwd 1 setup: write error on standard error: No space left on device
setup: Schreibfehler auf der Standardfehlerausgabe: No space left on device$
2 |ERROR: --yes and --no give different answers to the same que
Usage: setup [WORKDIR] [install BASE] [--medium DIR] [--allo
2 |ERROR: --running=quit and --running=wait give different answ
Usage: setup [WORKDIR] [install BASE] [--medium DIR] [--allo
2 |ERROR: --running=later is not an option in this place; a dir
Usage: setup [WORKDIR] [install BASE] [--medium DIR] [--allo
kept cannot access '/run/VarenInstall.lock': No such file or directory
cannot access '/var/tmp/e2e.w': No such file or directory
EOF
expect_eq "refusals" "$OUT" "$WANT"
W=$'--x\xe9' # each whole refusal in UTF-8 is its ISO 8859-1 form converted, but for the word
for l in en_US es_ES it_IT fr_FR de_DE pt_BR; do
    iso=$(file_text "/tmp/e2e.$l.ISO-8859-1") utf=$(file_text "/tmp/e2e.$l.UTF-8")
    expect_eq "$l.UTF-8" "${utf//"$W"/@}" "$(printf '%s' "${iso//"$W"/@}" | iconv -f ISO-8859-1 -t UTF-8)"
done
# An old daemon's question answered by --yes on a French UTF-8 terminal, standard input closed: the
# notice on the line after the dots, no question, the phases and the answer in UTF-8.
DAEMON="$(seed_installation /usr)
touch $A/TolvarD"
SEED=$DAEMON ENVS=(LANG=fr_FR.UTF-8)
PROGRAM=/usr/bin/script run yes_terminal -qec '/mnt/cd/setup --yes <&-' /dev/null
expect_status 0
expect_nodes $A/vsf f 4755
expect_contains "standard output" "$OUT" $'.\r\nSi un logiciel d\'impression Varen'
expect_contains "standard output" "$OUT" $'tvxx\r\nR\303\251ponse oui donn\303\251e par --yes : l\'installation'
expect_contains "standard output" "$OUT" $'. v\303\251rification du support .'
expect_lacks "standard output" "$OUT" "Souhaitez-vous"
# The question asked (English, answered "n"): one line end between the dots and the notice.
fresh
SEED=$DAEMON INPUT=$'n\n'
run question
expect_status 4
expect_contains "standard output" "$OUT" $'.\nIf you currently have Varen'
expect_lacks "standard output" "$OUT" $'\n\nIf you'
# --no in French UTF-8: the stop in UTF-8 on standard error and in the log.
fresh
SEED=$DAEMON ENVS=(LANG=fr_FR.UTF-8) PROGRAM=/bin/bash
run no -c '/mnt/cd/setup --no <&-'
expect_status 4
STOP=$'L\'installation a \303\251t\303\251 arr\303\252t\303\251e selon la r\303\251ponse ; rien n\'a '
expect_eq "standard error" "$ERR" "$STOP"$'\303\251t\303\251 install\303\251.\n'
expect_contains "log" "$LOG" $'\nstopped with status 4, nothing was installed: '"$ERR"
expect_eq "old script kept" "$(file_text $A/VarenPrinttvxx)" "old"
# The running programs: an earlier installation while tvqadmin runs, quit; a first installation
# while the package list's tvadmin runs 8 s, waited for. The list is shown, the menu never.
LIST=$'\nThe following processes are running.\nThe installer can not continue until these terminate:\n'
for c in "quit|/usr|tvqadmin 60|--running=quit|4" "wait||tvadmin 8|--running=wait|0"; do
    IFS='|' read -r name base prog word status <<<"$c"
    fresh
    SEED="$([ -z "$base" ] || seed_installation "$base")
P=/usr/local/lib/e2e/${prog% *} && mkdir -p /usr/local/lib/e2e && printf '#!/bin/sh\nsleep ${prog#* }\n' >\$P
chmod 755 \$P
\$P </dev/null >/dev/null 2>&1 &" PROGRAM=/bin/bash
    run "running_$name" -c "/mnt/cd/setup $word <&-"
    expect_status "$status"
    expect_contains "standard output" "$OUT" "$LIST${prog% *} ("
    expect_lacks "standard output" "$OUT" "Enter a selection"
done
expect_contains "standard output" "$OUT" $')\n\nAnswered by --running=wait: waiting 30 seconds for these'
expect_nodes $A/vsf f 4755
finish
