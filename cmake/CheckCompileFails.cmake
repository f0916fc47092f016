# Compiles SOURCE (with the library's headers) and passes only when that fails with a message
# matching EXPECT, while the same source with -DKILN_CONTROL compiles: so the failure is the one
# under test and not a broken include.
foreach(control OFF ON)
    set(defines "")
    if(control)
        set(defines -DKILN_CONTROL)
    endif()
    execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only -I${INCLUDE} ${defines} ${SOURCE}
                    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
    if(control AND NOT result EQUAL 0)
        message(FATAL_ERROR "the control build of ${SOURCE} failed:\n${errors}")
    elseif(NOT control AND result EQUAL 0)
        message(FATAL_ERROR "${SOURCE} compiled, but must not")
    elseif(NOT control AND NOT errors MATCHES "${EXPECT}")
        message(FATAL_ERROR "${SOURCE} failed for another reason:\n${errors}")
    endif()
endforeach()
