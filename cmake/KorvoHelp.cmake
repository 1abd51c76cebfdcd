# The help file beside the program: help.chm, compiled from docs/help/ with chmcmd
# (Debian's fp-utils). Without chmcmd the build goes on without it, and the program's
# Help command says that help.chm is missing.
# Sets KORVO_HELP_FILE to the file's path when it is built, empty otherwise.
set(KORVO_HELP_FILE "")
find_program(KORVO_CHMCMD chmcmd)
if(NOT KORVO_CHMCMD)
    message(STATUS "chmcmd not found (Debian package fp-utils): help.chm is left out")
    return()
endif()

set(KORVO_HELP_FILE "${PROJECT_BINARY_DIR}/help.chm")
set(help_dir "${PROJECT_SOURCE_DIR}/docs/help")
add_custom_command(
    OUTPUT "${KORVO_HELP_FILE}"
    COMMAND "${CMAKE_COMMAND}" -DCHMCMD=${KORVO_CHMCMD} -DPROJECT_FILE=${help_dir}/help.hhp
            -DOUTPUT=${KORVO_HELP_FILE} -P "${PROJECT_SOURCE_DIR}/cmake/compile-help.cmake"
    DEPENDS "${help_dir}/help.hhp" "${help_dir}/toc.hhc" "${help_dir}/en.html"
            "${help_dir}/de.html" "${PROJECT_SOURCE_DIR}/cmake/compile-help.cmake"
    COMMENT "Compiling help.chm"
    VERBATIM)
add_custom_target(korvo_help ALL DEPENDS "${KORVO_HELP_FILE}")
