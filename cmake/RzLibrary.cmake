# The shared library libreZevavEvadurov.so.1: platform/, support/ and settings/ in full, built
# once as position-independent objects with hidden visibility. The installed headers mark
# their declarations RZ_API; the internal headers export theirs to the project's own program,
# tools and tests, which link this one library too, so the registry's handle table, the hive
# cache, the private heap and every other process-wide state exist once in a process.

# Object library of one folder: compiled for the shared library.
function(rz_library_objects target)
    set_target_properties(${target} PROPERTIES
        POSITION_INDEPENDENT_CODE ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
    target_compile_definitions(${target} PUBLIC RZ_WINDOWS_BOOL)
endfunction()

# The shared library and the in-tree names the rest of the build links: rz_platform,
# rz_support and rz_settings all stand for it, with the internal headers on the include path.
function(rz_add_shared_library)
    add_library(rz_library SHARED
        $<TARGET_OBJECTS:rz_platform_objects>
        $<TARGET_OBJECTS:rz_support_objects>
        $<TARGET_OBJECTS:rz_settings_objects>)
    add_library(reZevavEvadurov::reZevavEvadurov ALIAS rz_library)
    set_target_properties(rz_library PROPERTIES
        OUTPUT_NAME reZevavEvadurov
        EXPORT_NAME reZevavEvadurov
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_include_directories(rz_library PUBLIC
        "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>"
        "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
    # The installed headers need C++17 and nothing later.
    target_compile_features(rz_library INTERFACE cxx_std_17)
    find_package(Threads REQUIRED)
    find_package(SQLite3 REQUIRED)
    target_link_libraries(rz_library PRIVATE SQLite::SQLite3 Threads::Threads)

    add_library(rz_platform INTERFACE)
    target_include_directories(rz_platform INTERFACE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(rz_platform INTERFACE RZ_WINDOWS_BOOL)
    # Tests reach into the hives with SQLite and start threads of their own.
    target_link_libraries(rz_platform INTERFACE rz_library SQLite::SQLite3 Threads::Threads)
    add_library(rz_support INTERFACE)
    target_link_libraries(rz_support INTERFACE rz_platform)
    add_library(rz_settings INTERFACE)
    target_link_libraries(rz_settings INTERFACE rz_support)
endfunction()
