# Installs the build tree into a scratch prefix, then builds and runs client programs against it,
# once with find_package(Kiln) and once with pkg-config alone.
set(prefix ${BUILD}/install-check)
file(REMOVE_RECURSE ${prefix} ${BUILD}/consumer)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix} COMMAND_ERROR_IS_FATAL ANY
                OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/install -B ${BUILD}/consumer -G Ninja
                        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix} COMMAND_ERROR_IS_FATAL ANY
                        OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD}/consumer COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
foreach(program consumer consumer_cp932)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib ${BUILD}/consumer/${program}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "the client program ${program} failed with ${result}")
    endif()
endforeach()

file(GLOB soname ${prefix}/lib*/libkiln.so.0)
if(NOT soname)
    message(FATAL_ERROR "no versioned libkiln.so.0 installed")
endif()

# kiln.pc names no absolute prefix, so the installed tree works wherever it lands.
file(GLOB pc ${prefix}/lib*/pkgconfig/kiln.pc)
file(READ "${pc}" pc_text)
if(NOT pc_text MATCHES "pcfiledir" OR pc_text MATCHES "prefix=/")
    message(FATAL_ERROR "kiln.pc is not relocatable:\n${pc_text}")
endif()
get_filename_component(pc_dir ${pc} DIRECTORY)
find_program(PKG_CONFIG pkg-config REQUIRED)
execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} ${PKG_CONFIG} --cflags --libs kiln
                OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} ${PKG_CONFIG}
                        --variable=cp932_cflags kiln
                OUTPUT_VARIABLE cp932 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(cp932 UNIX_COMMAND "${cp932}")
execute_process(COMMAND ${CXX} -std=c++20 ${cp932} ${SOURCE}/tests/install/consumer_cp932.cpp ${flags}
                        -o ${BUILD}/consumer/pkg_consumer COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib ${BUILD}/consumer/pkg_consumer
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the client built with pkg-config failed with ${result}")
endif()
