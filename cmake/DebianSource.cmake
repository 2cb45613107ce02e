# SPDX-License-Identifier: GPL-3.0-or-later
# Where a library the Windows builds compile from Debian's source package lies unpacked
# (`scripts/install-deps.sh test` unpacks it there); nothing is downloaded at build time.
#   sirenwatch_debian_source(VARIABLE FOLDER PROBE NAME): VARIABLE, a cache path defaulting to
#   FOLDER, must hold the file PROBE, or the configuration stops and says how to mend it.
function(sirenwatch_debian_source variable folder probe name)
  set(${variable} ${folder} CACHE PATH "${name}'s unpacked source, compiled for the Windows builds")
  if(NOT EXISTS ${${variable}}/${probe})
    message(FATAL_ERROR
      "${name}'s source is not in ${${variable}}: run scripts/install-deps.sh test (it unpacks "
      "Debian's source package there), or point ${variable} at an unpacked ${name} source.")
  endif()
endfunction()
