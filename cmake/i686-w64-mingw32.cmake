# Cross toolchain for the Windows programs: 32-bit MinGW-w64, static, no time stamp in the PE header.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(NOT VELMORA_DEPS)
  if(DEFINED ENV{VELMORA_DEPS})
    set(VELMORA_DEPS $ENV{VELMORA_DEPS})
  else()
    set(VELMORA_DEPS /var/cache/velmora/i686-w64-mingw32)
  endif()
endif()
set(VELMORA_DEPS ${VELMORA_DEPS} CACHE PATH "Prefix of the cross-built Windows dependencies")

set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${VELMORA_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Stripped: the payload region must follow the last section directly, and symbols are not shipped.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -s -Wl,--no-insert-timestamp")
