@echo off
rem Starts a new qtoss log, so that the next report's period begins anew:
rem KetRAV counts from the first import in the log. Run monthly, after the
rem month's last report and while the tosser is idle; it keeps the previous
rem month's log as logs\qtoss.old. Change C:\BBS to your host directory.
rem A log that a KetRAV run or the tosser still holds open cannot be moved:
rem the file then ends with 1 and adds a line to ketrav-failed.log; run it
rem again once they are done.
cd /d C:\BBS
if not exist logs\qtoss.log goto :eof
move /y logs\qtoss.log logs\qtoss.old > nul
if errorlevel 1 goto held
exit /b 0
:held
echo %date% %time% logs\qtoss.log is held open, not moved >> ketrav-failed.log
exit /b 1
