# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for Windows (x86_64) with Debian's MinGW-w64.
set(SIRENWATCH_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
