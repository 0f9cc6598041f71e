# The registry and the settings stores as a library for other programs (component `dev`):
# headers under include/reZevavEvadurov/, the static libraries, the CMake package
# reZevavEvadurov (targets reZevavEvadurov::registry, ::support, ::settings) and a pkg-config
# file. Included after the libraries are declared.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(RZ_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/reZevavEvadurov)
set(RZ_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/reZevavEvadurov)

# Headers include each other as "platform/...", "support/...", "settings/...": the source tree
# in the build, include/reZevavEvadurov once installed.
set(rz_library_targets rz_platform rz_support rz_settings)
foreach(target IN LISTS rz_library_targets)
    set_property(TARGET ${target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES
        "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>"
        "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>"
        "$<INSTALL_INTERFACE:${RZ_INSTALL_INCLUDEDIR}>")
endforeach()
set_target_properties(rz_platform PROPERTIES EXPORT_NAME registry)
set_target_properties(rz_support PROPERTIES EXPORT_NAME support)
set_target_properties(rz_settings PROPERTIES EXPORT_NAME settings)

install(TARGETS ${rz_library_targets} EXPORT reZevavEvadurovTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
foreach(folder platform support settings)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/
        DESTINATION ${RZ_INSTALL_INCLUDEDIR}/${folder} COMPONENT dev
        FILES_MATCHING PATTERN "*.h" PATTERN "*ForTests.h" EXCLUDE)
endforeach()

install(EXPORT reZevavEvadurovTargets NAMESPACE reZevavEvadurov::
    DESTINATION ${RZ_INSTALL_CMAKEDIR} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/reZevavEvadurovConfig.cmake.in
    ${PROJECT_BINARY_DIR}/reZevavEvadurovConfig.cmake
    INSTALL_DESTINATION ${RZ_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/reZevavEvadurovConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/reZevavEvadurovConfig.cmake
    ${PROJECT_BINARY_DIR}/reZevavEvadurovConfigVersion.cmake
    DESTINATION ${RZ_INSTALL_CMAKEDIR} COMPONENT dev)

# pkg-config: relative to its own folder, so a staged or relocated tree works as it is.
file(RELATIVE_PATH RZ_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" RZ_PC_TO_PREFIX "${RZ_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/reZevavEvadurov.pc.in
    ${PROJECT_BINARY_DIR}/reZevavEvadurov.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/reZevavEvadurov.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
