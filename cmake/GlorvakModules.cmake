# glorvak_add_module(<name> [DIRS <dir>...] [RECURSIVE_DIRS <dir>...] [EXCLUDE <regex>...]
#                    [DEPS <target>...])
#
# One static library per subsystem, gathered from its folders (a subsystem is a set of folders,
# never a file-name pattern). New files in those folders are
# picked up at the next build (CONFIGURE_DEPENDS), so adding a class never touches CMake.
# A module whose folders are still empty becomes an interface library with the same links.
function(glorvak_add_module name)
    cmake_parse_arguments(ARG "" "" "DIRS;RECURSIVE_DIRS;EXCLUDE;DEPS" ${ARGN})

    set(sources)
    foreach(dir IN LISTS ARG_DIRS)
        file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
        list(APPEND sources ${found})
    endforeach()
    foreach(dir IN LISTS ARG_RECURSIVE_DIRS)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
        list(APPEND sources ${found})
    endforeach()
    foreach(regex IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${regex}")
    endforeach()

    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${GLORVAK_SOURCE_ROOT})
        target_link_libraries(${name} PUBLIC ${ARG_DEPS} glorvak_juce glorvak_build_settings)
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${GLORVAK_SOURCE_ROOT})
        target_link_libraries(${name} INTERFACE ${ARG_DEPS} glorvak_juce glorvak_build_settings)
    endif()
endfunction()
