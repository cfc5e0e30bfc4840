# JUCE, compiled once into one static library that every target of the project links.
# The module targets are linked PRIVATE (linking them PUBLIC into several targets would compile
# JUCE once per target); their definitions and include folders are re-exported.

find_package(JUCE CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
pkg_check_modules(FLAC REQUIRED IMPORTED_TARGET flac)

add_library(glorvak_juce STATIC)

target_link_libraries(glorvak_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra
        juce::juce_audio_basics
        juce::juce_audio_devices
        juce::juce_audio_formats
        juce::juce_audio_utils
        juce::juce_cryptography
        juce::juce_recommended_config_flags
    PUBLIC
        PkgConfig::FLAC
        ZLIB::ZLIB
        juce::pkgconfig_JUCE_CURL_LINUX_DEPS
        juce::pkgconfig_JUCE_IMG_LINUX_DEPS)

target_compile_definitions(glorvak_juce
    PUBLIC
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=1
        JUCE_USE_FLAC=1
        JUCE_USE_OGGVORBIS=0
        JUCE_USE_MP3AUDIOFORMAT=0
        JUCE_USE_LAME_AUDIO_FORMAT=0
        JUCE_USE_WINDOWS_MEDIA_FORMAT=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_STRICT_REFCOUNTEDPOINTER=1)

target_compile_definitions(glorvak_juce INTERFACE
    $<TARGET_PROPERTY:glorvak_juce,COMPILE_DEFINITIONS>)
target_include_directories(glorvak_juce INTERFACE
    $<TARGET_PROPERTY:glorvak_juce,INCLUDE_DIRECTORIES>)
# Built without sanitizers: they are for the project's own code, and JUCE builds faster without.
set_target_properties(glorvak_juce PROPERTIES CXX_STANDARD 17 POSITION_INDEPENDENT_CODE ON)
