# SPDX-License-Identifier: GPL-3.0-or-later
# The header-only libraries the watch core is written on, for both homes: Boost (Asio for the
# feeds and the dashboard's server, Beast for its HTTP) and nlohmann-json. The cross compilers
# must not see all of /usr/include, so each library's own folder is linked into a folder of
# its own and only that folder is given to them.
set(portable_headers ${PROJECT_BINARY_DIR}/portable_headers)
file(MAKE_DIRECTORY ${portable_headers})
foreach(library boost nlohmann)
  if(NOT EXISTS /usr/include/${library})
    message(FATAL_ERROR "/usr/include/${library} is missing: run scripts/install-deps.sh")
  endif()
  if(NOT EXISTS ${portable_headers}/${library})
    file(CREATE_LINK /usr/include/${library} ${portable_headers}/${library} SYMBOLIC)
  endif()
endforeach()

find_package(Threads REQUIRED)
add_library(portable_asio INTERFACE)
target_include_directories(portable_asio SYSTEM INTERFACE ${portable_headers})
# Header-only use, no Boost.System library to link; one io_context per program.
target_compile_definitions(portable_asio INTERFACE BOOST_ASIO_NO_DEPRECATED BOOST_ERROR_CODE_HEADER_ONLY)
target_link_libraries(portable_asio INTERFACE Threads::Threads)
if(WIN32)
  target_link_libraries(portable_asio INTERFACE ws2_32 mswsock)
endif()

add_library(portable_json INTERFACE)
target_include_directories(portable_json SYSTEM INTERFACE ${portable_headers})
