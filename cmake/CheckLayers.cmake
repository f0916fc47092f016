# Fails when a file of the library includes a header of a layer above its own.
#
# The library's layers, each using only itself and those before it:
#   platform   the stand-in for MFC and Win32
#   util       strings and paths, file I/O, folders, geometry, CPU features
#   diag       message reporting and the log; it may also hold the library's dialogs with the user,
#              which need only the platform
#   core       memory blocks, heap interface, text buffers
#   convert, stream   converters and streams, side by side: neither includes the other
#   settings   variant value, profile text, registry settings
#   frame      module start-up, application frame, dialogs
#
# The platform is ordered by concern in the same way:
#   runtime, text        Windows types, objects, exceptions, errors and strings, which refer to one
#                        another (a CString throws CMemoryException; exceptions carry text)
#   time                 clocks, CTime, the FILETIME epoch
#   files                paths, files, archives, disks
#   runtime/system       modules and system folders, on top of the file layer
#   store                registry hives and INI files
#   ui                   message boxes, windows, messages and dialogs (an exception's ReportError
#                        is defined here, as it shows a message box)
# A file belongs to the most specific entry naming it (runtime/system.cpp to runtime/system, not to
# runtime). Entries sharing a level are separated by commas. Run with -DROOT=<source folder>.
set(levels
    "platform/runtime,platform/text"
    "platform/time"
    "platform/files"
    "platform/runtime/system"
    "platform/store"
    "platform/ui"
    "util"
    "diag"
    "core"
    "convert,stream"
    "settings"
    "frame")

# Sets ${out} to the level of the library file rel (a path below include/kiln or src), or -1.
function(level_of rel out)
    string(REGEX REPLACE "\\.(h|cpp)$" "" stem "${rel}")
    set(best -1)
    set(best_length 0)
    set(index 0)
    foreach(level IN LISTS levels)
        string(REPLACE "," ";" level "${level}")
        foreach(entry IN LISTS level)
            string(LENGTH "${entry}" length)
            if((stem STREQUAL entry OR stem MATCHES "^${entry}/") AND length GREATER best_length)
                set(best ${index})
                set(best_length ${length})
            endif()
        endforeach()
        math(EXPR index "${index} + 1")
    endforeach()
    set(${out} ${best} PARENT_SCOPE)
endfunction()

set(problems "")
foreach(top include/kiln src)
    file(GLOB_RECURSE files RELATIVE ${ROOT}/${top} ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp)
    foreach(rel IN LISTS files)
        if(rel STREQUAL "kiln.h")
            continue()  # the umbrella header includes everything
        endif()
        level_of("${rel}" from)
        if(from EQUAL -1)
            list(APPEND problems "${top}/${rel}: in no layer")
            continue()
        endif()
        file(STRINGS ${ROOT}/${top}/${rel} includes REGEX "^#include [<\"]")
        foreach(line IN LISTS includes)
            if(NOT line MATCHES "^#include [<\"](kiln/)?([a-z_]+/[a-z_/]+\\.h)[>\"]")
                continue()
            endif()
            set(target "${CMAKE_MATCH_2}")
            if(NOT EXISTS ${ROOT}/include/kiln/${target} AND NOT EXISTS ${ROOT}/src/${target})
                continue()  # a system header such as sys/stat.h
            endif()
            level_of("${target}" to)
            if(to GREATER from)
                list(APPEND problems "${top}/${rel} includes ${target}, a layer above its own")
            endif()
        endforeach()
    endforeach()
endforeach()
if(problems)
    list(JOIN problems "\n" problems)
    message(FATAL_ERROR "${problems}")
endif()
