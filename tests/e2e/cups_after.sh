# shellcheck shell=bash
# Copies the results of cups_inside.sh out of the sandbox.
cp -r /tmp/cups-run/. "$SANDBOX_OUT/" 2>/dev/null
cp /var/log/varen-tvxx/*.log "$SANDBOX_OUT/" 2>/dev/null
cp /tmp/setup.log "$SANDBOX_OUT/setup.log" 2>/dev/null
exit 0
