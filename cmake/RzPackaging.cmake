# Debian packages through CPack: `cpack -G DEB` in a build folder (or `cpack --config
# <build>/CPackConfig.cmake -G DEB`) makes one package per install component:
#   runtime -> rezevavevadurov       the GUI program, its desktop entry, icons and metainfo,
#                                    the registry tool and its manual page
#   dev     -> rezevavevadurov-dev   headers, static libraries, CMake package, pkg-config file
# Dependencies come from the binaries (dpkg-shlibdeps), so the package asks for exactly the
# Qt and SQLite libraries the program was linked against.
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
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME rezevavevadurov)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "Settings editor for the Tarnwick memory-analysis stub\nOne dialog that loads, edits and writes the stub's 79 diagnostic switches, and\nshows, opens and deletes the product's log files.")
# Not found by dpkg-shlibdeps because they are loaded at run time: a Qt platform plugin (the
# program cannot open a window without one) and the dialog's stand-in font.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-extra")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME rezevavevadurov-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# Static libraries carry no dependencies a tool could read: a program linking them needs
# SQLite's development files (the CMake package and the pkg-config file ask for them).
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsqlite3-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "Development files of the reZevavEvadurov settings store and registry\nHeaders, static libraries, a CMake package and a pkg-config file.")

include(CPack)
