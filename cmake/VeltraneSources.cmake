# Sources are picked up by folder, so that a new file needs no edit of a CMakeLists.txt. The
# other side of that: a moved or renamed folder or entry file must stop the configuration with a
# message naming it, never leave a program, a library or a test binary silently unbuilt.

# velt_collect(<var> FOLDER <folder> [PATTERN <glob>] [RECURSE] [EXCLUDE <regex>] FOR <what>)
# Sets <var> to the files in FOLDER (and below it with RECURSE) that match PATTERN (default
# *.cpp), leaving out those whose path relative to FOLDER matches EXCLUDE: the regex never sees
# the folders above FOLDER, so a checkout that lies below a folder named "tests" still builds.
# Finding nothing is a configure error that names FOR and what was looked for.
function(velt_collect var)
    cmake_parse_arguments(ARG "RECURSE" "FOLDER;PATTERN;EXCLUDE;FOR" "" ${ARGN})
    if(NOT ARG_FOLDER OR NOT ARG_FOR)
        message(FATAL_ERROR "velt_collect needs FOLDER and FOR")
    endif()
    if(NOT ARG_PATTERN)
        set(ARG_PATTERN "*.cpp")
    endif()
    if(ARG_RECURSE)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS ${ARG_FOLDER}/${ARG_PATTERN})
    else()
        file(GLOB found CONFIGURE_DEPENDS ${ARG_FOLDER}/${ARG_PATTERN})
    endif()
    set(kept)
    foreach(file IN LISTS found)
        file(RELATIVE_PATH relative ${ARG_FOLDER} ${file})
        if(NOT ARG_EXCLUDE OR NOT relative MATCHES "${ARG_EXCLUDE}")
            list(APPEND kept ${file})
        endif()
    endforeach()
    if(NOT kept)
        file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${ARG_FOLDER})
        if(ARG_RECURSE)
            set(where "${shown}/**/${ARG_PATTERN}")
        else()
            set(where "${shown}/${ARG_PATTERN}")
        endif()
        message(FATAL_ERROR "${ARG_FOR}: no file matches ${where} (was it moved or renamed?)")
    endif()
    set(${var} ${kept} PARENT_SCOPE)
endfunction()

# velt_require(<file> FOR <what>): a configure error naming the file when it does not exist.
function(velt_require file)
    cmake_parse_arguments(ARG "" "FOR" "" ${ARGN})
    if(NOT EXISTS ${file})
        file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${file})
        message(FATAL_ERROR "${ARG_FOR}: ${shown} is missing (was it moved or renamed?)")
    endif()
endfunction()
