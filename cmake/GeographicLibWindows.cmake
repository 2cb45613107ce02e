# SPDX-License-Identifier: GPL-3.0-or-later
# GeographicLib for the Windows builds, as a static library compiled with the same cross compilers
# from Debian's source package (Debian has no MinGW build of it; `scripts/install-deps.sh test`
# unpacks the source into a fixed folder). Nothing is downloaded here. Sets what the Linux find
# module sets: GeographicLib_LIBRARIES (here an imported target carrying its headers).
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
sirenwatch_debian_source(SIRENWATCH_GEOGRAPHICLIB_SOURCE
                         /var/cache/sirenwatch/geographiclib/geographiclib-2.1.2
                         include/GeographicLib/Geodesic.hpp GeographicLib)

include(ExternalProject)
set(geographiclib_build ${PROJECT_BINARY_DIR}/geographiclib)
set(geographiclib_archive ${geographiclib_build}/lib/libGeographicLib.a)
# Only the library is built, in release whatever our own build type, and its warnings are not
# ours to turn into errors.
ExternalProject_Add(geographiclib_build
  SOURCE_DIR ${SIRENWATCH_GEOGRAPHICLIB_SOURCE}
  BINARY_DIR ${geographiclib_build}
  PREFIX ${geographiclib_build}/step
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DBUILD_SHARED_LIBS=OFF -DBUILD_DOCUMENTATION=OFF -DBUILD_MANPAGES=OFF
             -DCONVERT_WARNINGS_TO_ERRORS=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target GeographicLib_STATIC
  BUILD_BYPRODUCTS ${geographiclib_archive}
  INSTALL_COMMAND ""
  TEST_COMMAND "")

# Its headers: those of the source, and the configuration header its configure step writes.
file(MAKE_DIRECTORY ${geographiclib_build}/include)
add_library(geographiclib_windows STATIC IMPORTED GLOBAL)
set_target_properties(geographiclib_windows PROPERTIES
  IMPORTED_LOCATION ${geographiclib_archive}
  INTERFACE_INCLUDE_DIRECTORIES
    "${SIRENWATCH_GEOGRAPHICLIB_SOURCE}/include;${geographiclib_build}/include"
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES
    "${SIRENWATCH_GEOGRAPHICLIB_SOURCE}/include;${geographiclib_build}/include")
add_dependencies(geographiclib_windows geographiclib_build)
set(GeographicLib_LIBRARIES geographiclib_windows)
set(GeographicLib_INCLUDE_DIRS)
