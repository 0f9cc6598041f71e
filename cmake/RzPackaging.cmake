# Debian packages through CPack: `cpack -G DEB` in a build folder (or `cpack --config
# <build>/CPackConfig.cmake -G DEB`) makes one package per install component:
#   runtime -> rezevavevadurov          the GUI program, its desktop entry, icons and metainfo,
#                                       the registry tool and its manual page
#   library -> librezevavevadurov1      libreZevavEvadurov.so.1 (named after its SONAME)
#   dev     -> librezevavevadurov-dev   headers, the .so link, CMake package, pkg-config file
# Dependencies come from the binaries (dpkg-shlibdeps), so the packages ask for exactly the
# Qt and SQLite libraries the program and the library were linked against; the library
# package carries a shlibs file for programs built against it.
# A package is built from a build configured as packaged: prefix /usr (GNUInstallDirs then puts
# libraries in the multiarch folder) and Debian's hardening flags (RZ_DEBIAN_BUILDFLAGS); the
# `release` preset is that build. A new package is one more component: its name, section,
# description and dependencies below, `rz_debian_package_docs` for it, and its component added
# to CPACK_COMPONENTS_ALL.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rezevavevadurov)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane <support@corvane.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://corvane.org/rezevavevadurov")
set(CPACK_STRIP_FILES ON)

# No package-wide summary: CPackDeb would put it in front of each component's description,
# whose first line is that package's own summary.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime library dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# The Debian revision; the version with it must head data/debian/changelog.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(rz_debian_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
file(STRINGS ${PROJECT_SOURCE_DIR}/data/debian/changelog rz_changelog_head LIMIT_COUNT 1)
if(NOT rz_changelog_head MATCHES "^rezevavevadurov \\(${rz_debian_version}\\) ")
    message(FATAL_ERROR "data/debian/changelog does not begin with version ${rz_debian_version}")
endif()

# Every package carries the copyright file and the (source package's) changelog in its own
# documentation folder, as Debian policy asks, and the lintian overrides that hold for every
# package of the project (data/debian/lintian-overrides says why each one holds).
function(rz_debian_package_docs component package)
    set(docdir ${CMAKE_INSTALL_DATADIR}/doc/${package})
    install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright
        DESTINATION ${docdir} COMPONENT ${component})
    rz_install_gzipped(${PROJECT_SOURCE_DIR}/data/debian/changelog ${docdir} ${component}
        changelog.Debian)
    install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${component}
        RENAME ${package})
endfunction()

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME rezevavevadurov)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "Settings editor for the Tarnwick memory-analysis stub\nOne dialog that loads, edits and writes the stub's 79 diagnostic switches, and\nshows, opens and deletes the product's log files. The rzreg command reads and\nchanges the same settings with the syntax of the Windows reg command.")
# Not found by dpkg-shlibdeps because they are loaded at run time: a Qt platform plugin (the
# program cannot open a window without one) and the dialog's stand-in font. The Wayland plugin
# gives a native window in a Wayland session; X11 (or XWayland) does without it.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-extra")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "qt6-wayland")
rz_debian_package_docs(runtime rezevavevadurov)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME librezevavevadurov1)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
    "Registry on SQLite hives and typed settings stores (shared library)\nThe Windows registry calls, registry transactions and waitable events on POSIX,\nwith each hive one SQLite database, and typed settings stores on a registry key\nor in a file of their own.")
# DEBIAN/shlibs, so dpkg-shlibdeps can depend on this package ...
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# ... and the ldconfig trigger in place of CPack's ldconfig calls.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/RzDebLibraryTriggers.cmake)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME librezevavevadurov-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "Development files of the reZevavEvadurov settings store and registry\nHeaders, the shared library link, a CMake package and a pkg-config file for\nprograms that read or write the settings of the Tarnwick memory-analysis stub\nthrough the same registry as the reZevavEvadurov dialog.")
rz_debian_package_docs(dev librezevavevadurov-dev)
rz_debian_package_docs(library librezevavevadurov1)

# The library package of this very build: dpkg-shlibdeps cannot see it (it is not installed
# while the packages are made), so the program's package names it, and the -dev package pins
# it, by hand.
# dpkg-shlibdeps finds the library in the build folder; it has no package there to name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
string(APPEND CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS
    ", ${CPACK_DEBIAN_LIBRARY_PACKAGE_NAME} (= ${rz_debian_version})")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${CPACK_DEBIAN_LIBRARY_PACKAGE_NAME} (= ${rz_debian_version})")

include(CPack)
