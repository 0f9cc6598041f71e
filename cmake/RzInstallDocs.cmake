# Manual pages and Debian's documentation files are installed compressed with `gzip -9n` (no
# name, no time stamp), as Debian policy asks, so the same sources always give the same bytes.

# Installs `source` (relative to the calling folder) gzip-compressed as
# `<destination>/<name>.gz`, for `component`; `name` is the source's own unless a fourth
# argument gives it.
function(rz_install_gzipped source destination component)
    get_filename_component(name ${source} NAME)
    if(ARGC GREATER 3)
        set(name ${ARGV3})
    endif()
    get_filename_component(input ${source} ABSOLUTE)
    string(MAKE_C_IDENTIFIER "${destination}/${name}" id)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/gzipped/${id}/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${input} ${output}
        DEPENDS ${input}
        COMMENT "Compressing ${name}"
        VERBATIM)
    add_custom_target(rz_gzip_${id} ALL DEPENDS ${output})
    install(FILES ${output} DESTINATION ${destination} COMPONENT ${component})
endfunction()

# A manual page of section `section`, compressed.
function(rz_install_man_page source section component)
    rz_install_gzipped(${source} ${CMAKE_INSTALL_MANDIR}/man${section} ${component})
endfunction()
