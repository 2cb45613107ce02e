# SPDX-License-Identifier: GPL-3.0-or-later
# libmosquitto for the Windows builds, as a static library compiled with the same cross
# compilers from Debian's source package (Debian has no MinGW build of it; `scripts/install-deps.sh
# test` unpacks the source into a fixed folder). Nothing is downloaded here. Built with TLS on
# the OpenSSL compiled the same way (cmake/OpenSSLWindows.cmake). Sets MOSQUITTO_LIBRARY to an
# imported target carrying its header and what it links.
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
sirenwatch_debian_source(SIRENWATCH_MOSQUITTO_SOURCE /var/cache/sirenwatch/mosquitto/mosquitto-2.0.11
                         include/mosquitto.h libmosquitto)

include(${CMAKE_CURRENT_LIST_DIR}/OpenSSLWindows.cmake)
include(ExternalProject)
set(mosquitto_build ${PROJECT_BINARY_DIR}/mosquitto)
set(mosquitto_archive ${mosquitto_build}/lib/libmosquitto_static.a)
# Only the client library, in release whatever our own build type; its warnings are not ours.
ExternalProject_Add(mosquitto_build
  SOURCE_DIR ${SIRENWATCH_MOSQUITTO_SOURCE}
  BINARY_DIR ${mosquitto_build}
  PREFIX ${mosquitto_build}/step
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DWITH_STATIC_LIBRARIES=ON -DWITH_TLS=ON -DWITH_TLS_PSK=OFF -DWITH_CJSON=OFF
             -DOPENSSL_INCLUDE_DIR=${OPENSSL_WINDOWS_INCLUDE_DIR}
             -DOPENSSL_SSL_LIBRARY=${OPENSSL_WINDOWS_SSL}
             -DOPENSSL_CRYPTO_LIBRARY=${OPENSSL_WINDOWS_CRYPTO}
             -DLIB_EAY=${OPENSSL_WINDOWS_CRYPTO} -DSSL_EAY=${OPENSSL_WINDOWS_SSL} -DWITH_BROKER=OFF
             -DWITH_APPS=OFF -DWITH_CLIENTS=OFF -DWITH_PLUGINS=OFF -DDOCUMENTATION=OFF
             -DWITH_LIB_CPP=OFF -DWITH_THREADING=OFF -DWITH_SOCKS=OFF -DWITH_UNIX_SOCKETS=OFF
             -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target libmosquitto_static
  BUILD_BYPRODUCTS ${mosquitto_archive}
  INSTALL_COMMAND ""
  TEST_COMMAND ""
  DEPENDS openssl_build)

add_library(mosquitto_windows STATIC IMPORTED GLOBAL)
set_target_properties(mosquitto_windows PROPERTIES
  IMPORTED_LOCATION ${mosquitto_archive}
  INTERFACE_INCLUDE_DIRECTORIES ${SIRENWATCH_MOSQUITTO_SOURCE}/include
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${SIRENWATCH_MOSQUITTO_SOURCE}/include
  INTERFACE_COMPILE_DEFINITIONS LIBMOSQUITTO_STATIC
  INTERFACE_LINK_LIBRARIES "${OPENSSL_WINDOWS_SSL};${OPENSSL_WINDOWS_CRYPTO};ws2_32;crypt32")
add_dependencies(mosquitto_windows mosquitto_build)
set(MOSQUITTO_LIBRARY mosquitto_windows)
