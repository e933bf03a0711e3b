@echo off
rem Installs Example Product the way deployment tools that run scripts do: the package beside this
rem script, started Silent, its exit code passed on unchanged (0 success, 3010 restart required,
rem 1641 restart started, anything else a failure; -1 arrives as 4294967295). The package's logs are
rem in %ProgramData%\Velmora\Automation\Logfiles (Qirva.log and "Example Product.log").
setlocal
"%~dp0ExampleProduct_V1_2.exe" -silent
exit /b %ERRORLEVEL%
