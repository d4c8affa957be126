#!/bin/sh
# The month's rotation as a sysop meets it, with the logrotate recipe the
# package ships and the installed program: twelve archived logs, the last
# report of the month refused (a run holds the claim), then made. Nothing
# may move while the report cannot be made; once it can, the log rotates
# on logrotate's next run and the oldest archive goes.
. "$(dirname "$0")/common.sh"
need_tool logrotate flock

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
lr=$scratch/rotation
mkdir -p "$lr/host/logs"
cp examples/bbs/logs/qtoss.log "$lr/host/logs/qtoss.log"
echo "archive 1" >"$lr/host/logs/qtoss.log.1"
for i in 2 3 4 5 6 7 8 9 10 11 12; do echo "archive $i" | gzip -n >"$lr/host/logs/qtoss.log.$i.gz"; done
sed -e "s|/srv/bbs|$lr/host|g" -e '/^ *su bbs bbs/d' -e 's|create 0640 bbs bbs|create 0640|' \
    -e "s|/usr/bin/ketrav|$scratch/prefix/bin/ketrav|" examples/schedule/ketrav.logrotate >"$lr/ketrav.logrotate"
printf 'logrotate state -- version 2\n"%s/host/logs/qtoss.log" 2000-1-1-0:0:0\n' "$lr" >"$lr/state"
(cd "$lr/host/logs" && sha256sum ./* >"$lr/before")
flock "$lr/host/KetRAV.lck" logrotate -s "$lr/state" "$lr/ketrav.logrotate" 2>/dev/null &&
    fail "rotation: ran though the report could not be made"
if (cd "$lr/host/logs" && sha256sum --quiet -c "$lr/before") && [ "$(ls "$lr/host/logs" | wc -l)" -eq 13 ] &&
    [ ! -e "$lr/host/KetRAV.Rpt" ]; then
    pass "with the month's report refused, the log and its twelve archives stay as they were"
else
    fail "the archives changed though the month's report failed"
fi
if logrotate -s "$lr/state" "$lr/ketrav.logrotate" && [ -f "$lr/host/KetRAV.Rpt" ] &&
    [ "$(zcat "$lr/host/logs/qtoss.log.12.gz")" = "archive 11" ] && [ "$(ls "$lr/host/logs" | wc -l)" -eq 13 ] &&
    cmp -s "$lr/host/logs/qtoss.log.1" examples/bbs/logs/qtoss.log; then
    pass "once the report is made, the log rotates on logrotate's next run"
else
    fail "not rotated, or rotated wrongly, once the report could be made"
fi
finish
