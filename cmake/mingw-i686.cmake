# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for Windows (i686) with Debian's MinGW-w64.
set(SIRENWATCH_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
