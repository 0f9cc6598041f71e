# The registry and the settings stores as a library for other programs:
#   component library: libreZevavEvadurov.so.1 (and .so.1.0.0) in the multiarch library folder
#   component dev:     the headers of include/reZevavEvadurov/ (only those: the public API),
#                      the libreZevavEvadurov.so link, the CMake package reZevavEvadurov
#                      (target reZevavEvadurov::reZevavEvadurov) and a pkg-config file.
# Included after the libraries are declared.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(RZ_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/reZevavEvadurov)

install(TARGETS rz_library EXPORT reZevavEvadurovTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library NAMELINK_COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/reZevavEvadurov
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev FILES_MATCHING PATTERN "*.h")

# The installed programs find the library beside them, also in a staging prefix; a path
# relative to $ORIGIN stays inside the package.
foreach(program reZevavEvadurov rzreg)
    if(TARGET ${program})
        set_target_properties(${program} PROPERTIES
            INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    endif()
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
