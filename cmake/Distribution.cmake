# What a distribution wants beside the game: the man page, the copyright and changelog in
# the documentation directory, and the AppStream metainfo that software centres list it by.
find_program(GZIP_EXECUTABLE gzip)
if(NOT GZIP_EXECUTABLE)
    message(FATAL_ERROR "gzip is required to compress the man page and the changelog")
endif()

# The page names the data directory this build compiles in.
set(VELLMORA_MAN ${CMAKE_CURRENT_BINARY_DIR}/man/vellmora.6)
configure_file(dist/vellmora.6.in ${VELLMORA_MAN} @ONLY)

# -n keeps the file name and time out of the gzip header: the same text gives the same bytes.
set(VELLMORA_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog)
add_custom_command(OUTPUT ${VELLMORA_MAN}.gz ${VELLMORA_CHANGELOG}.gz
    COMMAND ${GZIP_EXECUTABLE} -9nkf ${VELLMORA_MAN}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/dist/changelog
        ${VELLMORA_CHANGELOG}
    COMMAND ${GZIP_EXECUTABLE} -9nf ${VELLMORA_CHANGELOG}
    DEPENDS ${VELLMORA_MAN} ${CMAKE_CURRENT_SOURCE_DIR}/dist/changelog
    VERBATIM)
add_custom_target(vellmora_docs ALL DEPENDS ${VELLMORA_MAN}.gz ${VELLMORA_CHANGELOG}.gz)

install(FILES ${VELLMORA_MAN}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES dist/copyright ${VELLMORA_CHANGELOG}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES dist/io.github.vellmora.Vellmora.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# A stripped install (cpack, cmake --install --strip) also drops the compilers' names, as
# Debian's own stripping does.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELLMORA_BINDIR}/vellmora\")
    endif()")
