@echo off
rem KetRAV, then the posting of its report, for the Task Scheduler: run this
rem file as the task instead of ketrav.exe itself. Change C:\BBS, the title
rem and post-command (your tosser's or editor's command that posts a text
rem file into an echo area). The report is posted only when KetRAV ends
rem with 0. The task's "Last Result" is then this file's own code:
rem   0    the report was made and posted;
rem   1    KetRAV made no report (255: a fatal error); nothing was posted;
rem   100  the report was made, but post-command failed (9009 in the log:
rem        post-command was never changed to yours);
rem   9009 ketrav.exe was not found in C:\BBS or on the task's PATH.
rem Each failure also adds a line to ketrav-failed.log.
rem In a batch file a title's % is written %%, and quotes are part of it.
rem post-command is started with "call", so that a post-command.bat or
rem .cmd comes back here with its code, as a program does.
cd /d C:\BBS
ketrav.exe Fidonet Region 99 Echomail
if errorlevel 1 goto failed
call post-command
if errorlevel 1 goto unposted
exit /b 0
:unposted
echo %date% %time% report made, post-command ended with %errorlevel% >> ketrav-failed.log
exit /b 100
:failed
set ketrav_code=%errorlevel%
echo %date% %time% KetRAV ended with %ketrav_code%, report not posted >> ketrav-failed.log
exit /b %ketrav_code%
