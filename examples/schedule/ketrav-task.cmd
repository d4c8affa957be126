@echo off
rem Creates a Windows scheduled task that runs KetRAV every night at 00:05
rem in the host's main directory (here C:\BBS). Run once from a command
rem prompt; remove the task again with: schtasks /Delete /TN "KetRAV report"
schtasks /Create /TN "KetRAV report" /SC DAILY /ST 00:05 /TR "cmd /c cd /d C:\BBS && C:\BBS\ketrav.exe Fidonet Region 99 Echomail"
