@echo off
rem KetRAV, then the posting of its report, for the Task Scheduler: run this
rem file as the task instead of ketrav.exe itself. Change C:\BBS, the title
rem and post-command (your tosser's or editor's command that posts a text
rem file into an echo area). The report is posted only when KetRAV ends
rem with 0: errorlevel 1 (not whole) and 255 (fatal) leave it unposted and
rem add a line to ketrav-failed.log.
cd /d C:\BBS
ketrav.exe Fidonet Region 99 Echomail
if errorlevel 1 goto failed
post-command
goto :eof
:failed
echo %date% %time% KetRAV ended with %errorlevel%, report not posted >> ketrav-failed.log
