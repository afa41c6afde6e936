# The same programs built for 64-bit Windows, for running them under Wine on a machine that cannot
# execute 32-bit x86 code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
