@echo off
rem Starts a new qtoss log, so that the next report's period begins anew:
rem KetRAV counts from the first import in the log. Run monthly, after the
rem month's last report and while the tosser is idle; it keeps the previous
rem month's log as logs\qtoss.old. Change C:\BBS to your host directory.
cd /d C:\BBS
if not exist logs\qtoss.log goto :eof
move /y logs\qtoss.log logs\qtoss.old > nul
