# Runs lupdate over the sources into a copy of the committed template and fails when the copy
# changed, naming the texts that differ.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
get_filename_component(name ${TEMPLATE} NAME)
set(copy ${SCRATCH}/${name})
file(COPY_FILE ${TEMPLATE} ${copy})
execute_process(COMMAND ${LUPDATE} ${OPTIONS} @${SOURCES} -ts ${copy}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${result}):\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${TEMPLATE} ${copy}
    RESULT_VARIABLE different)
if(different)
    execute_process(COMMAND diff -u ${TEMPLATE} ${copy} OUTPUT_VARIABLE diff)
    message(NOTICE "${diff}")
    message(FATAL_ERROR "${name} is out of date with the sources; build the target "
        "update_translations, translate what it added to the other catalogues and commit them.")
endif()
