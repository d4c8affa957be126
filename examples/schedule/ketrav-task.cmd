@echo off
rem Creates the Windows scheduled task that runs ketrav-post.cmd (KetRAV, then
rem the posting of a whole report) every night at 00:05, whether or not
rem anyone is logged on. Copy ketrav-post.cmd into the host directory (here
rem C:\BBS) and edit it first; run this once from a command prompt started
rem as Administrator. /RU SYSTEM runs the task as the system account; give
rem /RU followed by the account that owns the host directory, and /RP *, to
rem run it as that account. On Windows XP and Server 2003 write the time as
rem 00:05:00 and leave out /F. Remove the task again with:
rem   schtasks /Delete /TN "KetRAV report" /F
schtasks /Create /TN "KetRAV report" /SC DAILY /ST 00:05 /RU SYSTEM /TR "C:\BBS\ketrav-post.cmd" /F
