# A Debian package of the installed game: `cpack -G DEB` in the build directory.
set(CPACK_PACKAGE_NAME vellmora)
set(CPACK_PACKAGE_VENDOR "Vellmora")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Vellmora developers <vellmora@localhost>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vellmora)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps names the package of every shared library the binary links, with the
# versions it needs: liballegro4.4 (which also carries Allegro's ALSA sound plugin),
# libdumb1, libaldmb1, the C and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xmessage shows the one message the game has, when no sound driver starts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "x11-utils")
include(CPack)
