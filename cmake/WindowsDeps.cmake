# Windows dependencies: liblzma and libjpeg-turbo cross-built into VELMORA_DEPS, zlib from Debian's
# MinGW package. All are linked statically and offered under the names the host's find modules use.
function(velmora_import_static target library header)
  string(MAKE_C_IDENTIFIER ${library} id)
  find_library(VELMORA_${id}_LIB NAMES lib${library}.a ${library} REQUIRED)
  find_path(VELMORA_${id}_INCLUDE ${header} REQUIRED)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${VELMORA_${id}_LIB}
    INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_${id}_INCLUDE}
    INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
endfunction()

# Without LZMA_API_STATIC the header declares its functions as DLL imports.
velmora_import_static(LibLZMA::LibLZMA lzma lzma.h LZMA_API_STATIC)
velmora_import_static(ZLIB::ZLIB z zlib.h)
velmora_import_static(JPEG::JPEG jpeg jpeglib.h)
