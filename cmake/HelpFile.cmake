# SPDX-License-Identifier: GPL-3.0-or-later
# sirenwatch_help_file(OUT_DIR RESULT_VAR): compiles data/help into OUT_DIR/Sirenwatch.chm with
# chmcmd (Debian's fp-utils) and sets RESULT_VAR to the file, or to nothing without chmcmd.
function(sirenwatch_help_file out_dir result_var)
  set(help_dir ${PROJECT_SOURCE_DIR}/data/help)
  file(GLOB help_sources CONFIGURE_DEPENDS ${help_dir}/*)
  set(chm_stage ${CMAKE_CURRENT_BINARY_DIR}/chm-stage)
  find_program(CHMCMD chmcmd)
  if(NOT CHMCMD)
    message(WARNING "chmcmd (Debian fp-utils) not found: Sirenwatch.chm is not built")
    set(${result_var} "" PARENT_SCOPE)
    return()
  endif()
  add_custom_command(
    OUTPUT ${out_dir}/Sirenwatch.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${chm_stage}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${help_dir} ${chm_stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${chm_stage} ${CHMCMD} Sirenwatch.hhp > /dev/null
    COMMAND ${CMAKE_COMMAND} -E copy ${chm_stage}/Sirenwatch.chm ${out_dir}/Sirenwatch.chm
    DEPENDS ${help_sources}
    COMMENT "Compiling Sirenwatch.chm")
  set(${result_var} ${out_dir}/Sirenwatch.chm PARENT_SCOPE)
endfunction()
