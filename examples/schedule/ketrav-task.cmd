@echo off
rem Creates the Windows scheduled task that runs ketrav-post.cmd (KetRAV, then
rem the posting of a whole report) every night at 00:05, whether or not
rem anyone is logged on. Copy ketrav-post.cmd into the host directory (here
rem C:\BBS) and edit it first; run this once from a command prompt started
rem as Administrator. /RU SYSTEM runs the task as the system account; to run
rem it as the account that owns the host directory, give /RU and that
rem account instead, and leave /RP out: schtasks asks for the password.
rem On Windows XP and Server 2003 use the second line instead of the first:
rem the time as 00:05:00, and no /F (XP has none). Remove the task again
rem with
rem   schtasks /Delete /TN "KetRAV report" /F
rem (on XP: schtasks /Delete /TN "KetRAV report", and answer Y).
schtasks /Create /TN "KetRAV report" /SC DAILY /ST 00:05 /RU SYSTEM /TR "C:\BBS\ketrav-post.cmd" /F
rem schtasks /Create /TN "KetRAV report" /SC DAILY /ST 00:05:00 /RU SYSTEM /TR "C:\BBS\ketrav-post.cmd"
