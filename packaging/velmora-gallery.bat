@echo off
rem Velmora in gallery mode, started again whenever it ends with an error (a crash). It stays ended
rem after Ctrl+Shift+Q or when its window is closed (exit code 0).
rem Keep this file beside velmora.exe. To start it at login, put a shortcut to it in the startup
rem folder (Win+R, shell:startup). Options after the file name go on to velmora.exe:
rem   velmora-gallery.bat --hours 09:00-18:00 --log velmora-health.log
cd /d "%~dp0"
:again
start "" /wait velmora.exe --gallery %*
if %errorlevel% equ 0 goto :eof
rem A pause, so that a piece that cannot start does not take the machine with it.
timeout /t 5 /nobreak >nul
goto again
