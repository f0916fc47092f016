# Installs the build tree into a scratch prefix, then configures, builds and runs a client project
# against it with find_package(Kiln), and checks the pkg-config file.
set(prefix ${BUILD}/install-check)
file(REMOVE_RECURSE ${prefix} ${BUILD}/consumer)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix} COMMAND_ERROR_IS_FATAL ANY
                OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/install -B ${BUILD}/consumer -G Ninja
                        -DCMAKE_PREFIX_PATH=${prefix} COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD}/consumer COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib ${BUILD}/consumer/consumer
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the client program failed with ${result}")
endif()
file(GLOB pc ${prefix}/lib*/pkgconfig/kiln.pc)
file(READ "${pc}" pc_text)
if(NOT pc_text MATCHES "-lkiln" OR NOT pc_text MATCHES "fexec-charset=CP932")
    message(FATAL_ERROR "kiln.pc lacks the library or the charset flags")
endif()
file(GLOB soname ${prefix}/lib*/libkiln.so.0)
if(NOT soname)
    message(FATAL_ERROR "no versioned libkiln.so.0 installed")
endif()
