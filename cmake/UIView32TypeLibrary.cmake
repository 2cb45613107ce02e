# SPDX-License-Identifier: GPL-3.0-or-later
# The station program's interfaces from src/com/UIView32.idl, compiled by widl: C++
# declarations and interface identifiers (the library uiview32_interfaces), and a type library
# (UIVIEW32_TYPELIB) for the stand-in host.
set(idl ${PROJECT_SOURCE_DIR}/src/com/UIView32.idl)
set(out ${PROJECT_BINARY_DIR}/uiview32)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(widl_bits --win64)
else()
  set(widl_bits --win32)
endif()
# Debian's MinGW has no .idl files of its own; Wine's development files do. stdole2.tlb, which
# the type library imports, is the same for both bitnesses.
set(widl_flags ${widl_bits} -I/usr/include/wine/wine/windows
    -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
file(MAKE_DIRECTORY ${out})
add_custom_command(
  OUTPUT ${out}/UIView32.h ${out}/UIView32_i.c ${out}/UIView32.tlb
  COMMAND ${SIRENWATCH_WIDL} ${widl_flags} -h -o ${out}/UIView32.h ${idl}
  COMMAND ${SIRENWATCH_WIDL} ${widl_flags} -u -o ${out}/UIView32_i.c ${idl}
  COMMAND ${SIRENWATCH_WIDL} ${widl_flags} -t -o ${out}/UIView32.tlb ${idl}
  DEPENDS ${idl}
  COMMENT "Compiling the UIView32 interfaces")
set_source_files_properties(${out}/UIView32_i.c PROPERTIES LANGUAGE CXX)
add_library(uiview32_interfaces STATIC ${out}/UIView32_i.c)
target_include_directories(uiview32_interfaces SYSTEM PUBLIC ${out})
set(UIVIEW32_TYPELIB ${out}/UIView32.tlb CACHE INTERNAL "the compiled UIView32 type library")
add_custom_target(uiview32_typelib DEPENDS ${out}/UIView32.tlb)
