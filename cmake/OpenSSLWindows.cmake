# SPDX-License-Identifier: GPL-3.0-or-later
# OpenSSL's libssl and libcrypto for the Windows builds, static, compiled with the same cross
# compilers from Debian's source package (Debian has no MinGW build of it; `scripts/install-deps.sh
# test` unpacks the source into a fixed folder). Nothing is downloaded here. libmosquitto is built
# on it, so the Windows program speaks mqtts:// as the Linux one does. Sets OPENSSL_WINDOWS_*.
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
sirenwatch_debian_source(SIRENWATCH_OPENSSL_SOURCE /var/cache/sirenwatch/openssl/source
                         Configure OpenSSL)

include(ExternalProject)
find_program(PERL perl REQUIRED)
set(openssl_build ${PROJECT_BINARY_DIR}/openssl)
set(openssl_prefix ${openssl_build}/install)
# The 32-bit assembly asks for relocations the MinGW assembler cannot make: plain C there, which
# is fast enough for a watcher's few messages.
if(SIRENWATCH_MINGW_ARCH STREQUAL "x86_64")
  set(openssl_target mingw64)
else()
  set(openssl_target mingw no-asm)
endif()
set(OPENSSL_WINDOWS_INCLUDE_DIR ${openssl_prefix}/include)
set(OPENSSL_WINDOWS_SSL ${openssl_prefix}/lib/libssl.a)
set(OPENSSL_WINDOWS_CRYPTO ${openssl_prefix}/lib/libcrypto.a)
# The libraries only, out of the source tree; no engines or modules to load at run time.
ExternalProject_Add(openssl_build
  SOURCE_DIR ${SIRENWATCH_OPENSSL_SOURCE}
  BINARY_DIR ${openssl_build}/tree
  PREFIX ${openssl_build}/step
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env CC=gcc-posix
                    ${PERL} ${SIRENWATCH_OPENSSL_SOURCE}/Configure ${openssl_target}
                    --cross-compile-prefix=${SIRENWATCH_MINGW_ARCH}-w64-mingw32-
                    --prefix=${openssl_prefix} --libdir=lib
                    no-shared no-tests no-module no-engine no-dso
  BUILD_COMMAND make -j2 build_libs
  INSTALL_COMMAND make install_dev
  BUILD_BYPRODUCTS ${OPENSSL_WINDOWS_SSL} ${OPENSSL_WINDOWS_CRYPTO}
  TEST_COMMAND "")
file(MAKE_DIRECTORY ${OPENSSL_WINDOWS_INCLUDE_DIR})
