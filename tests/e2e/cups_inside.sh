#!/usr/bin/env bash
# Runs inside the sandbox (see cups_test.sh): installs the sample suite from
# /mnt/cd, starts a private CUPS scheduler on a local socket, makes one queue
# per interface script from the suite's printer descriptions, prints jobs on
# them as an ordinary user, waits for them (bounded) and stops the scheduler.
# What is worth checking is left in /tmp/e2e.cups.
set -uo pipefail
run=/tmp/e2e.cups conf=/tmp/cups
mkdir -p "$run" "$conf"/{log,spool,state,cache,tmp} && chmod 755 "$conf"
note() { echo "$*" >>"$run/steps"; }

/mnt/cd/setup "$@" </dev/null >"$run/setup.out" 2>&1
echo $? >"$run/setup.status"
stat -c '%a %n' /opt/Varen /opt/Varen/tvxx /usr/Varen >"$run/modes" 2>&1

# The scheduler: its own files below /tmp, a Unix socket as its only
# listener, debug logging (each filter's arguments and environment).
printf '%s\n' 'LogLevel debug' "Listen $conf/cups.sock" 'Browsing Off' 'WebInterface No' 'DefaultAuthType None' \
    '<Location />' 'Order allow,deny' 'Allow all' '</Location>' \
    '<Policy default>' '<Limit All>' 'Order deny,allow' '</Limit>' '</Policy>' >"$conf/cupsd.conf"
printf '%s\n' 'FileDevice Yes' "ServerRoot $conf" "StateDir $conf/state" "CacheDir $conf/cache" \
    "RequestRoot $conf/spool" "TempDir $conf/tmp" "ErrorLog $conf/log/error_log" "AccessLog $conf/log/access_log" \
    "PageLog $conf/log/page_log" 'User lp' 'Group lp' 'SystemGroup root' >"$conf/cups-files.conf"
export CUPS_SERVER=$conf/cups.sock
cupsd -f -c "$conf/cupsd.conf" -s "$conf/cups-files.conf" &
cupsd_pid=$!
stop_cupsd() {
    kill -TERM "$cupsd_pid" 2>/dev/null || return 0
    for _ in $(seq 50); do kill -0 "$cupsd_pid" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
    note "cupsd stopped"
}
trap stop_cupsd EXIT
for _ in $(seq 75); do
    [ -S "$conf/cups.sock" ] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.2
done
lpstat -r >/dev/null 2>&1 || { note "cupsd did not come up"; exit 1; }

# Two queues whose printer descriptions name the interface scripts
# /usr/Varen/tvxx/VarenPrinttvxx and /usr/Varen/tvxx/VarenVSF as filters.
for q in tvxx vsf; do
    lpadmin -p "varen-$q" -E -v file:///dev/null -P "/usr/Varen/tvxx/varen-$q.ppd" >>"$run/lpadmin.out" 2>&1
done
# The next vsf call fails once, so that VarenVSF has to run it again.
: >/var/log/varen-tvxx/vsf.fail

# One job per queue, sent by the user nobody, with a title holding a blank,
# two copies and an option of the suite; then a job on which vsf fails for
# good: VarenVSF gives up after 15 seconds and the scheduler stops the job.
printf 'first line of the report\nsecond line\n' >"$run/report.txt"
printf 'spool file for vsf\n' >"$run/spool.txt"
echo 'fail for good' >"$run/fail.txt"
chmod 644 "$run"/*.txt
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
as_nobody lp -d varen-tvxx -t "Quarterly report" -n 2 -o tvxx-form=letterhead "$run/report.txt" >"$run/lp-tvxx.out" 2>&1
as_nobody lp -d varen-vsf -t "Spool title" -n 2 -o tvxx-form=invoice "$run/spool.txt" >"$run/lp-vsf.out" 2>&1
as_nobody lp -d varen-vsf "$run/fail.txt" >"$run/lp-fail.out" 2>&1
left=$(sed -n 's/^request id is \(varen-vsf-[0-9]*\) .*/\1/p' "$run/lp-fail.out")

# Wait (at most 45 seconds) until no job is left unfinished but that one,
# stopped by the scheduler.
done_all=0
for _ in $(seq 225); do
    if [ "$(lpstat -o 2>/dev/null | cut -d' ' -f1)" = "$left" ] &&
        grep -q "\[Job ${left##*-}\] Job stopped due to filter errors" "$conf/log/error_log"; then
        done_all=1
        break
    fi
    sleep 0.2
done
note "all jobs finished: $done_all"
lpstat -W completed -o >"$run/completed" 2>&1
lpstat -o >"$run/pending" 2>&1
stop_cupsd
trap - EXIT
cp "$conf/log/error_log" "$run/error_log" 2>/dev/null
