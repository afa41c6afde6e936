@echo off
rem Registers the payment component of the stand-in product.
