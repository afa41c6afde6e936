# Cross toolchain for the Windows programs, shared by the 32-bit (shipped) and 64-bit builds:
# MinGW-w64, static, no time stamp in the PE header. The including file sets `triple`, the
# processor and the default prefix of the cross-built dependencies.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(NOT VELMORA_DEPS)
  if(DEFINED ENV{VELMORA_DEPS})
    set(VELMORA_DEPS $ENV{VELMORA_DEPS})
  else()
    set(VELMORA_DEPS /var/cache/velmora/${triple})
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
