# Run by CPack after it has made the packages (CPACK_POST_BUILD_SCRIPTS). CPack gives a
# package holding a shared library postinst and postrm scripts that call ldconfig; Debian
# asks for the ldconfig trigger instead. So the library package is rebuilt with
# DEBIAN/triggers and without those two scripts, which do nothing else.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name "${deb}" NAME)
    if(NOT name MATCHES "^librezevavevadurov[0-9]+_")
        continue()
    endif()
    set(root "${CPACK_TOPLEVEL_DIRECTORY}/rz-library-package")
    file(REMOVE_RECURSE "${root}")
    execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE "${root}/DEBIAN/postinst" "${root}/DEBIAN/postrm")
    file(WRITE "${root}/DEBIAN/triggers" "activate-noawait ldconfig\n")
    execute_process(COMMAND dpkg-deb --root-owner-group --build "${root}" "${deb}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${root}")
endforeach()
