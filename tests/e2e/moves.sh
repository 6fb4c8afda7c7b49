#!/usr/bin/env bash
# Whole runs that find an earlier installation and move it, or must not:
# /usr to /opt and back (separate file systems in the sandbox: a copy under
# a staging name, the link committed, the old copy removed last), a move
# within one file system (one rename), another spelling of the same place,
# an installation under /opt upgraded where it is (absolute link, on a CUPS
# host whose group-writable directories become 755; relative link, taken
# relative to /usr).
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
shopt -s extglob

MEDIUM=$(make_medium whole --whole)
O=/opt/Varen/tvxx
# NAME|SEED (bash)|ARGUMENTS|APP AFTERWARDS|LINK AT /usr/Varen/tvxx ("-": none)|
# COMMAND LINES OF THE LOG in this order, separated by ";" ("!TEXT": none holds TEXT)
while IFS='|' read -r name seed args app link order; do
    fresh
    SEED=$(eval "$seed")
    AFTER='cp -a --parents /opt/a /opt/b "$SANDBOX_OUT/root/" 2>/dev/null; true'
    # shellcheck disable=SC2086 # the arguments are words
    run "$name" $args
    expect_status 0
    expect_log "$order"
    if [ "$link" = - ]; then expect_node $A d 755; else expect_link $A "$link"; fi
    expect_node "$app" d 755
    expect_node "$app/vsf" f 4755
    expect_eq "queue data in $app" "$(file_text "$app/queues/q1")" "queue data"
    # (another spelling of the place is kept in the scripts)
    [[ $name == @(same_place*|relative_link) ]] ||
        expect_contains "$app/VarenPrinttvxx" "$(file_text "$app/VarenPrinttvxx")" "ToolPath=\"$app\""
    expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" "$CALLS"
done <<CASES
usr_to_opt|seed_installation /usr|install /opt|$O|$O|/usr/bin/rm -rf  $O;/usr/bin/mkdir -p /opt/Varen;/usr/bin/chmod  755 /opt/Varen;/usr/bin/ln  -s $O $A.link;/usr/bin/cp -pr $A $O.partial;/usr/bin/mv -f -T $O.partial $O;/usr/bin/mv -f -T $A $A.old;/usr/bin/mv -f -T $A.link $A;/usr/bin/rm -rf  $A.old;/usr/bin/cp -p /mnt/cd/disks $W
opt_to_usr|seed_installation /opt|install /usr|$A|-|/usr/bin/chmod  755 /usr/Varen;/usr/bin/cp -pr $O $A.partial;/usr/bin/mv -f -T $A $A.old;/usr/bin/mv -f -T $A.partial $A;/usr/bin/rm -rf  $O;/usr/bin/rm -f $A.old;!ln  -s
one_file_system|seed_installation /opt/a|install /opt/b|/opt/b/Varen/tvxx|/opt/b/Varen/tvxx|/usr/bin/ln  -s /opt/b/Varen/tvxx $A.link;/usr/bin/mv -f -T /opt/a/Varen/tvxx /opt/b/Varen/tvxx;/usr/bin/mv -f -T $A.link $A;!cp -pr /opt/a
same_place|seed_installation /usr|install /usr/.|$A|-|!mv -f;!rm -rf  /usr/./Varen/tvxx
same_place_dotdot|seed_installation /usr|install /usr/Varen/..|$A|-|!mv -f;!rm -rf  /usr/Varen/..
same_place_link|seed_installation /usr; echo ln -s /usr /opt/e2e.usr|install /opt/e2e.usr|$A|-|!mv -f;!rm -rf  /opt
upgrade_opt|echo "\$SPOOLER_CUPS"; seed_installation /opt; echo chmod 775 $O /usr/Varen||$O|$O|!mv -f
relative_link|seed_installation /opt; echo rm $A; echo ln -s ../../opt/Varen/tvxx $A||$O|../../opt/Varen/tvxx|!mv -f
CASES
expect_node /usr/Varen d 755
scenario=opt_to_usr R=$SCRATCH_ROOT/runs/opt_to_usr/sandbox/out/root
expect_eq "left in /usr/Varen" "$(ls -A "$R/usr/Varen")" tvxx
expect_absent $O
scenario=one_file_system R=$SCRATCH_ROOT/runs/one_file_system/sandbox/out/root
expect_absent /opt/a/Varen/tvxx

finish
