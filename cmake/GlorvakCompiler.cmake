# Compiler settings of the project's own targets. Nothing here touches global flags, so a parent
# project that adds this one with add_subdirectory keeps its own settings.

if(PROJECT_IS_TOP_LEVEL AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    find_program(GLORVAK_CCACHE ccache)
    if(GLORVAK_CCACHE)
        # JUCE's core uses __DATE__; the base folder and no-hash-dir let build folders share hits.
        set(CMAKE_CXX_COMPILER_LAUNCHER
            ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=time_macros
            CCACHE_BASEDIR=${CMAKE_CURRENT_SOURCE_DIR} CCACHE_NOHASHDIR=true ${GLORVAK_CCACHE})
        set(CMAKE_C_COMPILER_LAUNCHER ${CMAKE_CXX_COMPILER_LAUNCHER})
    endif()
endif()

# Every target of the project links this one: language level, warnings and, when asked, sanitizers.
add_library(glorvak_build_settings INTERFACE)
target_compile_features(glorvak_build_settings INTERFACE cxx_std_17)
target_compile_options(glorvak_build_settings INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-missing-field-initializers>)

if(GLORVAK_SANITIZE)
    set(GLORVAK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
                                -fno-sanitize-recover=undefined)
    target_compile_options(glorvak_build_settings INTERFACE ${GLORVAK_SANITIZER_FLAGS})
    target_link_options(glorvak_build_settings INTERFACE ${GLORVAK_SANITIZER_FLAGS})
endif()
