#!/usr/bin/env bash
# Whole runs of the running-programs check: an earlier installation exists
# and a process named tvqadmin runs in the sandbox. The menu is answered
# with "2" (quit), "1" while the program ends within the first wait, another
# character, and end of input.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole)

# seed_running SECONDS: a program named tvqadmin that runs that long; its
# process id goes to /tmp/e2e.pid.
seed_running() {
    seed_installation /usr
    cat <<EOF
mkdir -p /usr/local/lib/e2e
printf '#!/bin/sh\nsleep $1\n' >/usr/local/lib/e2e/tvqadmin
chmod 755 /usr/local/lib/e2e/tvqadmin
/usr/local/lib/e2e/tvqadmin </dev/null >/dev/null 2>&1 &
echo \$! >/tmp/e2e.pid
EOF
}

# The menu as the installer shows it in English, for the process id $1.
menu_en() {
    printf '\nThe following processes are running.\nThe installer can not continue until these terminate:\n'
    printf 'tvqadmin ( %s )\n\n' "$1"
    printf 'Would you like to:\n1.  Wait 30 seconds for these processes to terminate\n2.  Quit the installation\n\nEnter a selection:  '
}

menu_es() {
    printf '\nSe est\xe1n ejecutando los procesos siguientes.\nEl instalador no puede continuar hasta que terminen:\n'
    printf 'tvqadmin ( %s )\n\n' "$1"
    printf 'Desea:\n1.  \xbfesperar 30 segundos para que estos procesos terminen?\n2.  \xbfabandonar la instalaci\xf3n?\n\nIntroduzca una selecci\xf3n:  '
}

# Nothing was moved or installed, and no command ran.
expect_untouched() {
    expect_eq "log" "$LOG" "initializing system
"
    expect_eq "old script kept" "$(file_text /usr/Varen/tvxx/VarenPrinttvxx)" "old"
    expect_absent /tmp/tvqadmin.calls
    expect_absent /tmp/VarenInstall
}

fresh
SEED=$(seed_running 60)
INPUT=$'2\n'
run quit
expect_status 0
expect_eq "standard output" "$OUT" "$(menu_en "$(file_text /tmp/e2e.pid)")"
expect_untouched

# Another character shows the menu again; the Spanish texts.
fresh
SEED=$(seed_running 60)
INPUT=$'x\n2\n'
ENVS=(LANG=es_ES)
run other_then_quit_spanish
expect_status 0
pid=$(file_text /tmp/e2e.pid)
expect_eq "standard output" "$OUT" "$(menu_es "$pid"; menu_es "$pid")"
expect_untouched

# End of input: quit, with one line on standard error, status 1.
fresh
SEED=$(seed_running 60)
run eof
expect_status 1
expect_eq "standard output" "$OUT" "$(menu_en "$(file_text /tmp/e2e.pid)")"
expect_eq "standard error" "$ERR" "No answer could be read from standard input; the installation is stopped.
"
expect_untouched

# "1": the program ends after 2 seconds, within the first 5-second wait; the
# menu is not shown again and the upgrade goes on.
fresh
SEED=$(seed_running 2)
INPUT=$'1\n'
run wait_then_go_on
expect_status 0
menu=$(menu_en "$(file_text /tmp/e2e.pid)")
expect_eq "menu first" "${OUT:0:${#menu}}" "$menu"
rest=${OUT:${#menu}}
expect_eq "then only dots" "$(tr -d . <<<"$rest")" ""
expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" \
    "tvqadmin -upgrade LANG=unset cwd=/
tvqadmin -clean LANG=unset cwd=/"
expect_node /usr/Varen/tvxx/vsf f 4755

finish
