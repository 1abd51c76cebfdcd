# Compiles a help project with chmcmd into OUTPUT; quiet unless chmcmd complains.
#   cmake -DCHMCMD=<chmcmd> -DPROJECT_FILE=<.hhp> -DOUTPUT=<help.chm> -P compile-help.cmake
# chmcmd writes the file named by the project's "Compiled file" into its working directory.
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(REMOVE "${OUTPUT}")
execute_process(
    COMMAND "${CHMCMD}" "${PROJECT_FILE}"
    WORKING_DIRECTORY "${out_dir}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${OUTPUT}")
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "chmcmd failed (${result}):\n${output}")
endif()
if(output MATCHES "Warning")
    message(WARNING "chmcmd:\n${output}")
endif()
