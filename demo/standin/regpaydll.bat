@echo off
rem Registers the payment component of the stand-in product; leaves a mark beside itself.
echo done> "%~dp0regpaydll.done"
