# Read by cpack before each generator runs. A Debian package is a distribution's game: its
# program in /usr/games, its music in /usr/share/games. Any other build would make a
# package that says "games" but installs under /usr/local or elsewhere, so it is refused.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_VELLMORA_DISTRIBUTION_BUILD)
    message(FATAL_ERROR
        "a Debian package comes only from the distribution build; configure a build "
        "directory of its own with -DCMAKE_INSTALL_PREFIX=/usr -DVELLMORA_GAMES_LAYOUT=ON "
        "and run cpack -G DEB there")
endif()
