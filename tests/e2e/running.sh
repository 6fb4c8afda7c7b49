#!/usr/bin/env bash
# Whole runs of the running-programs check: an earlier installation exists and
# a process named tvqadmin runs in the sandbox. The menu is answered with "2"
# (quit), another character then "2" (in Spanish), end of input, and "1"
# while the program ends within the first wait.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole)
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

# NAME|SECONDS THE PROGRAM RUNS|INPUT (%b; "-": none)|LANG|STATUS|MENUS SHOWN
while IFS='|' read -r name secs input lang status menus; do
    fresh
    SEED="$(seed_installation /usr)
mkdir -p /usr/local/lib/e2e && printf '#!/bin/sh\nsleep $secs\n' >/usr/local/lib/e2e/tvqadmin
chmod 755 /usr/local/lib/e2e/tvqadmin
/usr/local/lib/e2e/tvqadmin </dev/null >/dev/null 2>&1 & echo \$! >/tmp/e2e.pid"
    [ "$input" = - ] || INPUT=$(printf '%b' "$input")
    [ -z "$lang" ] || ENVS=("LANG=$lang")
    run "$name"
    expect_status "$status"
    pid=$(file_text /tmp/e2e.pid)
    menu=$(if [ "$lang" = es_ES ]; then menu_es "$pid"; else menu_en "$pid"; fi)
    expect_eq "menus shown" "${OUT:0:$((${#menu} * menus))}" "$(for _ in $(seq "$menus"); do printf '%s' "$menu"; done)"
    rest=${OUT:$((${#menu} * menus))}
    if [ "$secs" = 2 ]; then
        # The program ended within the first 5-second wait: the upgrade goes on.
        expect_eq "then only dots" "$(tr -d . <<<"$rest")" ""
        expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" "$CALLS"
        expect_node $A/vsf f 4755
        continue
    fi
    expect_eq "after the menus" "$rest" ""
    want=""
    [ "$status" = 0 ] || want=$MSG2$'\n'
    expect_eq "standard error" "$ERR" "$want"
    expect_eq "log" "$LOG" "$FIRST_LINE_ONLY"
    expect_eq "old script kept" "$(file_text $A/VarenPrinttvxx)" "old"
    expect_absent /tmp/tvqadmin.calls $W
done <<'CASES'
quit|60|2\n||0|1
other_then_quit_spanish|60|x\n2\n|es_ES|0|2
eof|60|-||1|1
wait_then_go_on|2|1\n||0|1
CASES

finish
