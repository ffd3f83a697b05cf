# A Debian package of the installed game: `cpack -G DEB` in the build directory. A package
# for a distribution comes from a build configured with -DCMAKE_INSTALL_PREFIX=/usr
# -DVELLMORA_GAMES_LAYOUT=ON.
set(CPACK_PACKAGE_NAME vellmora)
set(CPACK_PACKAGE_VENDOR "Vellmora")
# Debian's synopsis is a phrase without an article; the extended description follows it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "short art game about a conversation that slowly goes wrong")
# CPack indents each line as it stands, so the lines are wrapped here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "A text panel sits above a two-by-two grid of small actions: you choose,"
    "another voice speaks about the weather or its day, and the room answers."
    "Every line passes through a filter that swaps its words for the nearest"
    "words of a charged lexicon, a little more often with every choice, until"
    "nothing said is what was meant. A game lasts eight choices, in a 160x120"
    "picture drawn with an 8x8 font, with tracker music in the background.")
# The project's own address, not a person's: the one its AppStream id names.
set(CPACK_PACKAGE_CONTACT "Vellmora developers <vellmora@users.noreply.github.com>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vellmora)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps names the package of every shared library the binary links, with the
# versions it needs: liballegro4.4 (which also carries Allegro's ALSA sound plugin),
# libdumb1, libaldmb1, the C and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xmessage shows the one message the game has, when no sound driver starts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "x11-utils")
if(VELLMORA_GAMES_LAYOUT AND CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(CPACK_VELLMORA_DISTRIBUTION_BUILD ON)
else()
    set(CPACK_VELLMORA_DISTRIBUTION_BUILD OFF)
endif()
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingCheck.cmake)
include(CPack)
