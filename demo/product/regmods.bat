@echo off
rem Registers the stand-in product's modules.
