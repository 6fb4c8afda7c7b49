#!/usr/bin/env bash
# Whole runs that install: a first installation step by step, first installations under /opt and the
# spooler detection, moves of an earlier installation, the questions (running programs, a daemon).
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
shopt -s extglob
MEDIUM=$(make_medium split2 --pieces 2)
# Checks shared by every complete installation into APP ($1).
expect_installed_tree() {
    expect_nodes "$1/tvqadmin" f 755 "$1/tvrtvxxtty" f 4755 "$1/vsf" f 4755 "$1/tvadmin" f 755 \
        "$1/lib/forms.txt" f 644 "$1/tvxx.cfg" f 644 "$1/.tv_cfg" f 644 "$1/VarenPrinttvxx" f 755 \
        "$1/VarenVSF" f 755 /usr/bin/tvadmin f 755
    expect_eq "edited tvxx.cfg" "$(file_text "$1/tvxx.cfg")" "level=3.01.67"
    expect_absent "$W"
    expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" "$CALLS"
    expect_lacks "log" "$LOG" "WARNING_MSG"; expect_lacks "log" "$LOG" "ERROR"
}
# The head with this year's banner, ToolPath and the end of a generated script, which is valid shell.
HEAD="#!/bin/sh
$(printf '%63s' '' | tr ' ' '#')
##$(printf '%59s' '')##
##      Copyright (c) $(date +%Y) Varen.  All rights reserved.      ##"
expect_script() {
    expect_eq "head and end of $1" "$(head -n 4 "$R$1"; tail -c 5 "$R$1")" "$HEAD"$'\n\nesac'
    expect_contains "$1" "$(file_text "$1")" $'\nToolPath="'"$2"$'"\n'
    sh -n "$R$1" || fail "$1 is no valid shell script"
}
# ---- a first installation on an LPRng host over a stale work area; the wrapper run after it (the
# LPRng branch under a real lpd: spoolers.sh)
SEED="$SPOOLER_LPRNG
mkdir -p /usr/share/printconf/util $W/stale"
AFTER='cd /var/tmp && /usr/bin/tvadmin -x >/tmp/e2e.tvadmin'
run road
expect_status 0
C=/usr/bin/chmod S=/var/spool/Varen CP="/usr/bin/cp -p" MK="/usr/bin/mkdir -p -m 755" Z=$W/Linuxi386Tvxx.tar
expect_log "$CP /mnt/cd/sha256sums $W;$CP /mnt/cd/disks $W;$CP /mnt/cd/pkg_tar.001 $W;\
$CP /mnt/cd/pkg_tar.002 $W;/usr/bin/cat  $W/pkg_tar.001 >> $Z.Z;/usr/bin/cat  $W/pkg_tar.002 >> $Z.Z;\
/usr/bin/uncompress  $Z.Z;/usr/bin/tar xvfp $Z;/usr/bin/rm -rf $Z;$MK $A;$C  755 $A;\
/usr/bin/ln  -s $A/VarenPrinttvxx /usr/share/printconf/util/VarenPrinttvxx;$MK $S;$C  775 $S;\
$MK $S/tvxx/__tva_download__;$C  777 $S/tvxx/__tva_download__;$CP $W/pkg/tvqadmin $A;$C  755 $A/tvqadmin;\
$CP $W/pkg/tvadmin $A;/usr/bin/cp -pr $W/pkg/lib $A;$MK $A/queues;$C  775 $A/queues;$C  777 $A/queues;\
$C  644 $A/tvxx.cfg;/usr/bin/sed  s/@LEVEL@/3.01.67/ $A/tvxx.cfg >> $W/setup.tmp;\
$CP $W/setup.tmp $A/tvxx.cfg;$C  4755 $A/tvrtvxxtty;$C  4755 $A/vsf;/usr/bin/rm -rf  $W"
expect_eq "last commands of the log" "$(log_commands | tail -n 1)|$(printf '%s' "$LOG" | tail -n 3)" \
    "/usr/bin/rm -rf  $W|$A/tvqadmin -upgrade"$'\n'"$A/tvqadmin -clean"$'\n'\
"write /var/lib/varen-tvxx/installed 0644 root:root"
expect_dots_of_full_run
expect_eq "standard error" "$ERR" ""
expect_installed_tree $A
expect_nodes /usr/Varen d 755 $A d 755 $A/queues d 777 $S d 775 $S/tvxx d 755 \
    $S/tvxx/__tva_download__ d 777 /tmp/setup.log f 644
expect_eq ".tv_cfg" "$(file_text $A/.tv_cfg; echo x)" " LPRng x"
for f in VarenPrinttvxx VarenVSF; do expect_script $A/$f $A; done
expect_contains "VarenVSF" "$(file_text $A/VarenVSF)" "SpoolDir=\"$S/tvxx\""
expect_link /usr/share/printconf/util/VarenPrinttvxx $A/VarenPrinttvxx
expect_eq "wrapper command run" "$(file_text /tmp/e2e.tvadmin)" "tvadmin -x cwd=$A from=/var/tmp"
# ---- on a terminal each long phase is named once as it begins, in the run's language, on the dot
# line; a command that reads the terminal (a stand-in uncompress) gets an empty input, where from a
# process group of its own it would stop the run for ever.
fresh
SEED='mv /usr/bin/uncompress /usr/bin/uncompress.real && printf "%s\n" "#!/bin/sh" "read -r answer" \
    "ls -l /proc/\$\$/fd >/tmp/e2e.fds" \
    "exec /usr/bin/uncompress.real \"\$@\"" >/usr/bin/uncompress && chmod 755 /usr/bin/uncompress'
PROGRAM=/usr/bin/script run terminal -qec "LANG=es_ES /mnt/cd/setup" /dev/null
expect_status 0
expect_eq "phases" "$(printf '%s' "$OUT" | tr -d '.\r')" " copiando el soporte  comprobando el soporte \
 uniendo y desempaquetando  escribiendo los scripts  instalando los archivos  ejecutando tvqadmin -upgrade "
expect_contains "dots" "$OUT" ". copiando el soporte .. comprobando el soporte . uniendo y desempaquetando ....."
expect_eq "descriptors 1-9 on /dev/null" "$(file_text /tmp/e2e.fds | grep -c ' [1-9] -> /dev/null')" 0
# ---- a link at the first installation's mark is never followed: the step fails and says so, the link goes
fresh
SEED='rm -rf /usr/Varen && mkdir /usr/Varen && ln -s /etc/hostname /usr/Varen/tvxx.first'
run mark_link
expect_status 3
expect_contains "standard error" "$ERR" "can't write /usr/Varen/tvxx.first"
expect_absent /usr/Varen/tvxx.first
expect_unchanged etc
# ---- first installations under /opt and the spooler detection (both spoolers: spoolers.sh)
# NAME|SEED (bash)|.tv_cfg|MODE ABOVE APP
O=/opt/Varen/tvxx
BSD='rm -f /usr/sbin/cupsd; printf "#!/bin/sh\necho \"lpd: illegal option -- V\" >&2\nexit 1\n" >/usr/sbin/lpd
chmod 755 /usr/sbin/lpd'
while IFS='|' read -r name seed cfg mode; do
    fresh
    SEED=$(eval "$seed")
    run "$name" install /opt
    expect_status 0
    expect_nodes /opt/Varen d 755 /usr/Varen d "$mode" $O/queues d 777 $O d "$mode"
    expect_installed_tree $O
    expect_script $O/VarenPrinttvxx $O
    expect_eq ".tv_cfg" "$(file_text $O/.tv_cfg)" "$cfg"
    expect_absent /usr/share/printconf/util/VarenPrinttvxx /usr/Varen/tvxx.first
    expect_dots_of_full_run
    expect_link $A $O
    # A first installation taken up: the interrupted run made /usr/Varen, this one sets its mode.
    made=$([ "$name" = taken_up ] || echo "$MK /usr/Varen;")
    expect_log "$made$MK $O;$C  $mode $O;$C  $mode /usr/Varen;/usr/bin/ln  -s $O $A"
    expect_contains "wrapper" "$(file_text /usr/bin/tvadmin)" "
cd $O
exec $O/tvadmin \$*"
done <<'CASES'
first_opt|echo "$SPOOLER_CUPS"| CUPS |755
spooler_bsd|echo "$BSD; mkdir -p /usr/share/printconf/util"| BSD |775
taken_up|echo "$BSD; mkdir -m 755 /usr/Varen; echo 1 >/usr/Varen/tvxx.first"| BSD |775
CASES
# ---- moves of an earlier installation across file systems (copy, commit the link, remove the old
# copy last) and within one (a rename), or none: other spellings of the place, upgrades where it is.
# NAME|SEED (bash)|ARGUMENTS|APP AFTERWARDS|LINK AT /usr/Varen/tvxx ("-": none)|LOG
# (expect_log)|GONE
MV="/usr/bin/mv -f -T" RM="/usr/bin/rm -rf " LN="/usr/bin/ln  -s" CPR="/usr/bin/cp -pr"
while IFS='|' read -r name seed args app link order gone; do
    fresh
    SEED=$(eval "$seed")
    # A seed lies in the overlays' lower layers, where a directory cannot be renamed (the move from /usr
    # removes the old one once the new copy is complete); one_file_system's is made where it can.
    [ "$name" != one_file_system ] || { PRE=$SEED; SEED=""; }
    AFTER='cp -a --parents /opt/a /opt/b "$SANDBOX_OUT/root/" 2>/dev/null; true'
    # shellcheck disable=SC2086 # the arguments are words
    run "$name" $args
    expect_status 0
    expect_log "$order"
    if [ "$link" = - ]; then expect_nodes $A d 755; else expect_link $A "$link"; fi
    expect_nodes "$app" d 755 "$app/vsf" f 4755 /usr/Varen d 755
    expect_eq "left in /usr/Varen" "$(ls -A "$R/usr/Varen")" tvxx
    expect_absent $gone
    expect_eq "queue data in $app" "$(file_text "$app/queues/q1")" "queue data"
    # (another spelling of the place is kept in the scripts)
    [[ $name == @(same_place*|relative_link) ]] ||
        expect_contains "$app/VarenPrinttvxx" "$(file_text "$app/VarenPrinttvxx")" "ToolPath=\"$app\""
    expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" "$CALLS"
done <<CASES
usr_to_opt|seed_installation /usr|install /opt|$O|$O|$RM $O;$MK /opt/Varen;$C  755 /opt/Varen;\
$LN $O $A.link;$CPR $A $O.partial;$MV $O.partial $O;$MV $A $A.old;$RM $A;$MV $A.link $A;$CP /mnt/cd/pkg_tar.001 $W;\
!rm -rf  $A.old
opt_to_usr|seed_installation /opt|install /usr|$A|-|$C  755 /usr/Varen;$CPR $O $A.partial;$MV $A $A.old;\
$MV $A.partial $A;$RM $O;/usr/bin/rm -f $A.old;!ln  -s|$O
one_file_system|seed_installation /opt/a|install /opt/b|/opt/b/Varen/tvxx|/opt/b/Varen/tvxx|\
$LN /opt/b/Varen/tvxx $A.link;$MV /opt/a/Varen/tvxx /opt/b/Varen/tvxx;$MV $A.link $A;!cp -pr /opt/a|/opt/a/Varen/tvxx
same_place|seed_installation /usr|install /usr/.|$A|-|!mv -f;!rm -rf  /usr/./Varen/tvxx
same_place_link|seed_installation /usr; echo ln -s /usr /opt/e2e.usr|install /opt/e2e.usr|$A|-|!mv -f;\
!rm -rf  /opt
upgrade_opt|echo "\$SPOOLER_CUPS"; seed_installation /opt; echo chmod 775 $O /usr/Varen||$O|$O|!mv -f
relative_link|seed_installation /opt; echo rm $A; echo ln -s ../../opt/Varen/tvxx $A||$O|../../opt/Varen/tvxx|\
!mv -f
CASES
# ---- upgrades in place after the questions. A link planted at the sed step's temporary file is not
# written through, the spool and existing directories are left alone, a longer old script leaves no tail.
menu() {   # menu PID: the running-programs menu
    printf '%b' '\nThe following processes are running.\nThe installer can not continue until these terminate:' \
        '\ntvqadmin ( '"$1"' )\n\nWould you like to:\n1.  Wait 30 seconds for these processes to terminate\n2.  ' \
        'Quit the installation\n\nEnter a selection:  '
}
NOTICE=$'NOTE: TolvarD is located in <install directory>/Varen/tvxx\n\nDo You want to continue with the installation'
# NAME|CAUSE ("run N": tvqadmin runs N seconds; else the daemon file in APP)|INPUT (%b)|LANG|STATUS|QUESTIONS|
# ACCEPTED. Only y, yes, n, no answer (not the Spanish prompt's "s"); closed input: safety.sh.
rows=0  # rows checked to their end: an expansion error would end the loop unseen
while IFS='|' read -r name cause input lang status asked accepted; do
    fresh
    SEED="$(seed_installation /usr)
head -c 30000 /dev/zero | tr '\\0' '#' >>$A/VarenVSF
mkdir -p $S/tvxx && chmod 700 $S && echo kept >$S/tvxx/job.1
echo original >/etc/e2e.victim && ln -s /etc/e2e.victim /tmp/setup.tmp
mkdir -p /etc/rc2.d && for k in K S; do ln -s ../init.d/VarenPrintD /etc/rc2.d/\${k}VarenPrintD; done"
    case $cause in
    run*) PRE='date +%s%N >/tmp/e2e.t0' AFTER='date +%s%N >/tmp/e2e.t1' SEED+="
T=/usr/local/lib/e2e/tvqadmin && mkdir -p /usr/local/lib/e2e && printf '#!/bin/sh\nsleep ${cause#run }\n' >\$T
chmod 755 \$T
\$T </dev/null >/dev/null 2>&1 & echo \$! >/tmp/e2e.pid" ;;
    *) SEED+=" && touch $A/$cause" ;;
    esac
    # LONG: a reply of 511 characters beginning with "n" is no answer, the next of 510 ending in "y" is.
    [ "$input" != LONG ] || input="$(printf 'n%510s' x)\n$(printf '%510s' y)\n"
    INPUT=$(printf '%b' "$input")
    [ -z "$lang" ] || ENVS=("LANG=$lang")
    run "$name"
    expect_status "$status"
    want=""
    stop=$'The installation was stopped as answered; nothing was installed.\n'
    [ -z "$lang" ] || stop=$'La instalaci\363n se ha detenido seg\372n la respuesta; no se ha instalado nada.\n'
    [ "$status" = 4 ] && want=$stop || stop=""
    expect_eq "standard error" "$ERR" "$want"
    asks=$(grep -o "continuar con la\|continue with the\|Enter a sel\|Introduzca una" <<<"$OUT" | wc -l)
    expect_eq "questions asked" "$asks" "$asked"
    if [ "${cause%% *}$lang" = run ]; then
        m=$(menu "$(file_text /tmp/e2e.pid)")
        expect_eq "menus shown" "${OUT:0:$((${#m} * asked))}" "$(for _ in $(seq "$asked"); do printf '%s' "$m"; done)"
        expect_eq "after the menus" "$(tr -d . <<<"${OUT:$((${#m} * asked))}")" ""
    elif [ -z "$lang" ] && [ "${cause%% *}" != run ]; then
        expect_eq "daemon notices" "$(grep -c "If you currently have Varen" <<<"$OUT")" 1
        expect_contains "notice and question" "$OUT" "$NOTICE"
    fi
    expect_eq "file behind the planted link" "$(file_text /etc/e2e.victim)" "original"
    expect_eq "spool content" "$(file_text $S/tvxx/job.1)" "kept"
    expect_eq "queue data" "$(file_text $A/queues/q1)" "queue data"
    if [ "$accepted" = yes ]; then
        expect_installed_tree $A
        for f in VarenPrinttvxx VarenVSF; do expect_script $A/$f $A; done
        expect_nodes $A/queues d 755 $S d 700
        expect_log "!mkdir -p /var/spool;!mkdir -p $A"; expect_unchanged var/spool
        if [ "${cause%% *}" = run ]; then
            waited=$(($(file_text /tmp/e2e.t1) - $(file_text /tmp/e2e.t0) >= 5000000000))
            expect_eq "waited a step of 5 s" "$waited" 1
        fi
        [ "${cause%% *}" = run ] || { expect_absent /etc/rc2.d/KVarenPrintD /etc/rc2.d/SVarenPrintD
            expect_log "$RM/etc/rc2.d/KVarenPrintD;$RM/etc/rc2.d/SVarenPrintD;/usr/bin/uncompress  $Z.Z"; }
        rows=$((rows + 1)) && continue
    fi
    expect_absent /tmp/tvqadmin.calls
    expect_eq "old script kept" "$(file_text $A/VarenPrinttvxx)" "old"
    expect_exists /etc/rc2.d/KVarenPrintD /etc/rc2.d/SVarenPrintD
    expect_log "!tar xvfp"
    [ "${cause%% *}" != run ] ||
        expect_eq "log" "$LOG" "$FIRST_LINE_ONLY${stop:+stopped with status 4, nothing was installed: $stop}"
    rows=$((rows + 1))
done <<'CASES'
menu_quit|run 60|2\n||4|1|no
menu_other_then_quit_spanish|run 60|x\n2\n|es_ES|4|2|no
menu_wait_then_go_on|run 2|1\n||0|1|yes
continue_again_yes|TolvarDStop|maybe\nY\n\nyes\n||0|4|yes
continue_no_spanish|TolvarD|s\nno\n|es_ES|4|2|no
continue_long_line|TolvarD|LONG||0|2|yes
CASES
expect_eq "question rows checked" "$rows" 6
finish
