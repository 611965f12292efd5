# Installs the project into a scratch prefix, then builds and runs a consumer
# that finds it with find_package and with pkg-config's flags.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
    message(FATAL_ERROR "install failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build
                        -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix RESULT_VARIABLE rc)
if(rc)
    message(FATAL_ERROR "configuring the consumer failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
    message(FATAL_ERROR "building the consumer failed")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer RESULT_VARIABLE rc)
if(rc)
    message(FATAL_ERROR "the consumer failed")
endif()
# The installed command, run from PATH with an empty store, shapes its text
# with the installed module and with nothing from the current folder.
if(EXISTS ${WORK_DIR}/prefix/bin/tallux)
    execute_process(COMMAND sh ${SOURCE_DIR}/tests/trust/own_folder.sh ${WORK_DIR}/prefix/bin/tallux
                            ${WORK_DIR}/own-folder RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(rc)
        message(FATAL_ERROR "the installed command: ${err}")
    endif()
endif()
file(GLOB_RECURSE pc ${WORK_DIR}/prefix/*/tallux.pc)
if(NOT pc)
    message(FATAL_ERROR "no tallux.pc installed")
endif()
# The installed command finds its installed printer module.
file(GLOB_RECURSE module ${WORK_DIR}/prefix/*/tallux-printer.so)
if(module)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                            QT_QPA_PLATFORM=offscreen
                            ${WORK_DIR}/prefix/bin/tallux draw BarCODE39
                            --target printer:NoSuchPrinter
                    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT rc EQUAL 74 OR err MATCHES "module cannot be loaded")
        message(FATAL_ERROR "the installed printer module was not used (${rc}): ${err}")
    endif()
endif()
