#!/usr/bin/env bash
# Whole runs (a first installation, an upgrade, moves to a tmpfs at /opt, from an overlay's lower
# layer and back to /usr) stopped at each logged step by SIGKILL to setup alone, SIGINT to its group
# or SIGKILL to its session, then run again: each rerun ends with 0 and leaves what an uninterrupted
# run leaves. Stand-ins in /usr/sbin interrupt commands (leaving a copy or removal half done),
# strace the renames and medium copies of setup itself. INTERRUPT_MATRIX=full tries all three ways at every step (else
# they take turns, and in runs other than first installations, only the first of each run of steps
# reading just the medium and the work area); INTERRUPT_RUNS picks runs.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need strace
# The fixture with every directive and attribute of the sample list: link, owner, group, dirto, t, name, m, s, v.
SRC=$SCRATCH_ROOT/interrupt-src && cp -a -- "$FIXTURE_COPY" "$SRC" && P=$SRC/pkg && mkdir -p "$P/forms" &&
    echo form >"$P/forms/f1" && echo readme >"$P/README.tvxx" && echo lib >"$P/libtvxx.so" &&
    printf 'spool=@SPOOL@\nedition=@EDITION@\n' >"$P/tvxx.conf.dist" && cat >>"$P/pkg.list" <<'LIST'
newdir log mode 2775 owner root group lp link /var/log/varen-tvxx
install README.tvxx mode 644
dirto forms /var/spool/Varen/tvxx
t db.vdb mode 644
c tvxx.conf.dist name tvxx.conf
m tvxx.conf sed -e 's|@SPOOL@|/var/spool/Varen/tvxx|'
s tvxx.conf mode 644 sed s/@EDITION@/e2e/
v >= 0 c libtvxx.so mode 644
LIST
MEDIUM=$(make_medium split2 --pieces 2)
IFS= read -r -d '' MATRIX <<'SCRIPT' || :
export PATH=/usr/bin:/bin:/usr/sbin:/sbin
E=/var/tmp/e2e A=/usr/Varen/tvxx
mkdir -p $E/layers && mount -t tmpfs e2e-layers $E/layers || exit 1
# ---- the stand-in of every command setup runs
mkdir -p /usr/local/lib/e2e
cat >/usr/local/lib/e2e/step <<"EOF"
#!/bin/bash
name=${0##*/} real=/usr/bin/${0##*/}
if [ -n "${E2E_STOP-}" ] && [ "$(printf "%s" "$0 $*" | tr -d "\"'" | tr -s " ")" = "$E2E_STOP" ]; then
    n=$(($(cat /var/tmp/e2e/seen 2>/dev/null || echo 0) + 1)) && echo $n >/var/tmp/e2e/seen
    if [ $n = "$E2E_NTH" ]; then
        setup=$(cat /var/tmp/e2e/pid) last=${!#} && : >/var/tmp/e2e/fired
        [ "$E2E_SIG" != alone ] || { kill -KILL "$setup"; exec $real "$@"; }
        case $name in
        cp) [ -e "$last" ] || { $real "$@"; find "$last" -type f | head -n 50 | xargs -r /usr/bin/rm -f; } ;;
        rm) find "$last" -type f 2>/dev/null | head -n 50 | xargs -r /usr/bin/rm -f ;;
        esac
        if [ "$E2E_SIG" = group ]; then pkill -KILL -s "$setup"; else kill -"$E2E_SIG" -- -"$setup"; fi
        exec sleep 10
    fi
fi
exec $real "$@"
EOF
chmod 755 /usr/local/lib/e2e/step
for c in rm mkdir chmod chown chgrp ln cp mv cat tar uncompress sha256sum sed touch; do
    ln -sf /usr/local/lib/e2e/step /usr/sbin/$c; done
state() {   # what an installation consists of: types, modes, link targets, checksums
    local d
    for d in /usr/Varen /opt/Varen /var/spool/Varen /usr/bin/tvadmin /var/log/varen-tvxx; do
        [ -e $d ] || [ -L $d ] || continue
        find $d -printf "%p %y %m %l\n" | sort
        find $d -type f -exec md5sum {} + | sort
    done
    [ ! -e /tmp/VarenInstall ] || echo "work area left"
}
# ---- an installation with the run's user files: many queue files, an edited configuration
setup_run() { env --default-signal=INT /mnt/cd/setup "$@" </dev/null >/dev/null 2>&1; }
rm -rf /usr/Varen /var/spool/Varen /opt/Varen /tmp/VarenInstall /var/log/varen-tvxx
setup_run || echo "the first installation failed"
mkdir -p $A/queues/sub && echo "# edited by the administrator" >>$A/tvxx.cfg
for i in $(seq 400); do head -c $((i * 41)) /dev/urandom >$A/queues/sub/q$i; done
ln -s sub/q1 $A/queues/current && chmod 600 $A/queues/sub/q7
# A pending link that leads to the installation itself is only removed.
ln -s $A $A.link && setup_run && [ -e $A/queues/sub/q400 ] && [ ! -L $A.link ] || echo "a pending link to $A: lost"
cp -a /usr/Varen/tvxx $E/tvxx && cp -a /var/spool/Varen $E/spool && cp -a /usr/bin/tvadmin $E/tvadmin
cp -a /var/log/varen-tvxx $E/loglink
mkdir -p $E/layers/lower && cp -a /usr/Varen/tvxx $E/layers/lower/tvxx
umount_all() { umount -l /usr/Varen 2>/dev/null; umount -l /opt 2>/dev/null; true; }
reset() {   # reset SCENARIO: the state before the run
    umount_all
    rm -rf /usr/Varen /opt/Varen /var/spool/Varen /tmp/VarenInstall /usr/bin/tvadmin /var/log/varen-tvxx
    rm -rf $E/seen $E/fired $E/layers/u $E/layers/w
    [ $1 = first ] && return
    cp -a $E/spool /var/spool/Varen && cp -a $E/tvadmin /usr/bin/tvadmin && cp -a $E/loglink /var/log/varen-tvxx
    [ $1 = upgrade ] || mount -t tmpfs e2e-opt /opt
    case $1 in
    upgrade | to_tmpfs) mkdir /usr/Varen && cp -a $E/tvxx $A ;;
    from_lower) mkdir -p /usr/Varen $E/layers/u $E/layers/w
        mount -t overlay e2e-varen -o lowerdir=$E/layers/lower,upperdir=$E/layers/u,workdir=$E/layers/w /usr/Varen ;;
    back) mkdir -p /usr/Varen /opt/Varen && cp -a $E/tvxx /opt/Varen/tvxx && ln -s /opt/Varen/tvxx $A ;;
    esac
}
interrupted() {   # interrupted STEP NTH WAY COMMAND...: sets st (and pid); checks a stop by a signal
    E2E_STOP=$1 E2E_NTH=$2 E2E_SIG=$3 setsid env --default-signal=INT bash -c "echo \$\$ >$E/pid; exec \"\$@\"" \
        bash "${@:4}" </dev/null >/dev/null 2>$E/err &
    pid=$!; wait $pid; st=$?
    # A command that outlived setup still holds the run lock: it ends first.
    for _ in $(seq 300); do pgrep -s $pid >/dev/null || break; sleep 0.05; done
    case $3 in alone | group) return ;; esac
    [ "$(cat $E/err)" = "ERROR: the run was interrupted by SIG$3 and has stopped; run setup again to finish the \
installation." ] &&
        grep -q "^ERROR: interrupted by SIG$3$" /tmp/setup.log || st="$st, stderr: $(head -c 300 $E/err)"
    [ ! -e /tmp/VarenInstall ] || st="$st, work area left"
}
# (an output redirection that the log shows belongs to the shell, not to the command)
steps() {
    grep "^/usr/bin/sh -c \"" /tmp/setup.log | sed "s|^/usr/bin/sh -c \"||; s| >> [^ ]*\$||" | tr -d "\"'" | tr -s " "
}
# SIGTERM while the copies are checked and SIGHUP while the archive is unpacked: nothing is blamed on the medium.
for way in TERM:143:sha256sum HUP:129:tar; do
    reset first && interrupted "$(steps | grep -m1 "/${way##*:} ")" 1 ${way%%:*} /mnt/cd/setup
    setup_run && [ "$st" = "$(echo $way | cut -d: -f2)" ] || echo "SIG$way: status $st, rerun $?"
done
for scenario in $E2E_RUNS; do
    case $scenario in first | upgrade) args=() ;; back) args=(install /usr) ;; *) args=(install /opt) ;; esac
    reset $scenario && setup_run "${args[@]}"; s1=$?; ref1=$(state)
    mapfile -t list < <(steps)
    setup_run; s2=$?; ref2=$(state)
    [ "$s1 $s2" = "0 0" ] || echo "$scenario: the uninterrupted runs ended with $s1 $s2"
    renames=0 copies=0 tried=0 good=0 k=0 prev=host
    for step in "${list[@]}"; do
        k=$((k + 1))
        nth=$(printf "%s\n" "${list[@]:0:k}" | grep -c -x -F -- "$step")
        # (setup's own renames and copies of the medium's files, at the nth rename or utimensat call)
        rn=""; case $step in */mv\ -f\ -T\ *) renames=$((renames + 1)) rn=rename:$renames ;;
            *cp\ -p\ /mnt/cd/*) copies=$((copies + 1)) rn=utimensat:$copies ;; esac
        # By default the steps of the lines beyond the plain fixture's are interrupted in first
        # installations only.
        case "$E2E_MODE $scenario $step" in quick\ first\ *) ;;
        quick\ *README.tvxx* | quick\ *forms* | quick\ *db.vdb* | quick\ *tvxx.conf* | quick\ *libtvxx* | \
            quick\ *\ $A/log*)
            continue ;; esac
        # A step that reads only the medium and the work area leaves the host as the one before it
        # did when that one read only them too: first installations try each such step, others the first.
        wa=" ${step#* } " && wa=${wa// \/tmp\/VarenInstall\// } && wa=${wa// \/tmp\/VarenInstall / }
        wa=${wa// \/mnt\/cd\// } was=$prev prev=work && case $wa in *" /"*) prev=host ;; esac
        [ "$E2E_MODE" = full ] || [ $scenario = first ] || [ "$was $prev" != "work work" ] || continue
        ways="alone INT group"
        [ "$E2E_MODE" = full ] || ways=$(echo $ways | cut -d" " -f$((k % 3 + 1)))
        for way in $ways; do
            tried=$((tried + 1))
            reset $scenario
            cmd=(/mnt/cd/setup "${args[@]}")
            sig=KILL && [ $way != INT ] || sig=INT
            [ -z "$rn" ] ||
                cmd=(strace -o /dev/null -e trace=${rn%:*} -e inject=${rn%:*}:signal=$sig:when=${rn#*:} "${cmd[@]}")
            interrupted "$step" "$nth" $way "${cmd[@]}"
            want=137; [ $way != INT ] || want=130
            [ -n "$rn" ] || [ -e $E/fired ] || st="never reached"
            setup_run "${args[@]}"; r1=$?; got1=$(state) r2=0 got2=$ref2
            [ "$E2E_MODE" != full ] || { setup_run; r2=$?; got2=$(state); }
            left=$(pgrep -s $pid; ls -d /usr/Varen/*.* /opt/Varen/*.* 2>/dev/null)
            if [ "$st $r1 $r2" = "$want 0 0" ] && [ "$got1" = "$ref1" ] && [ "$got2" = "$ref2" ] && [ -z "$left" ]; then
                good=$((good + 1))
            else
                echo "$scenario step $k ($step) $way: status $st (want $want), reruns $r1 $r2, left [$left]"
                diff <(echo "$ref1") <(echo "$got1") | head -n 6
            fi
        done
    done
    umount_all
    printf "| %s | %s | %s | %s of %s |\n" "$scenario" "${#list[@]}" "$renames" "$good" "$tried" >>$E/table
done
# First installations killed whole (SIGKILL to the session) at random moments, then run again twice.
case " $E2E_RUNS " in *" first "*)
    reset first && t0=$(date +%s%N) && setup_run && ms=$((($(date +%s%N) - t0) / 1000000)) ref=$(state) good=0
    for _ in 1 2 3; do
        reset first && at=$((RANDOM * ms / 32768))
        setsid env --default-signal=INT /mnt/cd/setup </dev/null >/dev/null 2>&1 & pid=$!
        sleep "$((at / 1000)).$(printf %03d $((at % 1000)))" && pkill -KILL -s $pid; wait $pid; st=$?
        for _ in $(seq 300); do pgrep -s $pid >/dev/null || break; sleep 0.05; done
        setup_run; r1=$?; setup_run; r2=$?
        if [ "$r1 $r2" = "0 0" ] && [ "$(state)" = "$ref" ]; then good=$((good + 1)); else
            echo "first killed after $at ms (status $st): reruns $r1 $r2"; diff <(echo "$ref") <(state) | head -n 6; fi
    done
    printf "| first, random moments | - | - | %s of 3 |\n" $good >>$E/table ;;
esac
echo "| run | logged steps | of them renames | interruptions converged |"
echo "|---|---|---|---|"
cat $E/table
SCRIPT
PROGRAM=/bin/bash TIMEOUT=${INTERRUPT_TIMEOUT:-1500} ENVS=("E2E_MODE=${INTERRUPT_MATRIX:-quick}"
    "E2E_RUNS=${INTERRUPT_RUNS:-first upgrade to_tmpfs from_lower back}")
run matrix -c "$MATRIX"
expect_status 0
printf '%s' "$OUT"
expect_eq "interruptions that did not converge" "$(grep -v '^|' <<<"$OUT")" ""
finish
