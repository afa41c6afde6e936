@echo off
rem Registers the stand-in product's modules; leaves a mark beside itself.
echo done> "%~dp0regmods.done"
