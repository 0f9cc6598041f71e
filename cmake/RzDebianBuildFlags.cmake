# Debian's build flags for the binaries that go into the packages: fortified string and memory
# functions, the stack protector, full RELRO and immediate binding, as `dpkg-buildflags` gives
# them with every hardening feature on. Appended to CMake's own flags, so the build type's
# optimisation (-O3 for Release, after these) still decides; the debug information is left out,
# since the packages are stripped. Included before any target is declared.
find_program(RZ_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)

function(rz_debian_build_flag variable out)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${RZ_DPKG_BUILDFLAGS} --get ${variable}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-g$|^-O[0-9s]?$")
    list(JOIN flags " " flags)
    set(${out} "${flags}" PARENT_SCOPE)
endfunction()

rz_debian_build_flag(CPPFLAGS rz_cppflags)
rz_debian_build_flag(CFLAGS rz_cflags)
rz_debian_build_flag(CXXFLAGS rz_cxxflags)
rz_debian_build_flag(LDFLAGS rz_ldflags)
string(APPEND CMAKE_C_FLAGS " ${rz_cppflags} ${rz_cflags}")
string(APPEND CMAKE_CXX_FLAGS " ${rz_cppflags} ${rz_cxxflags}")
foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${rz_ldflags}")
endforeach()
message(STATUS "Debian build flags: ${rz_cppflags} ${rz_cxxflags} | ${rz_ldflags}")
