# The Windows release: one self-contained vellmora.exe with its icon and version information,
# the music beside it, and the zip players download (`cpack` in the build directory).
enable_language(RC)

# Nothing to install on the player's machine: the C and C++ runtimes go into the .exe, and
# -mwindows makes it a windowed program that opens no console.
target_link_options(vellmora PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)

# The icon at the sizes Windows shows.
include(${PROJECT_SOURCE_DIR}/cmake/Icon.cmake)
set(VELLMORA_ICO ${CMAKE_CURRENT_BINARY_DIR}/vellmora.ico)
vellmora_ico(${VELLMORA_ICO} 16 32 48 256)
configure_file(${PROJECT_SOURCE_DIR}/ports/win/vellmora.rc.in ${CMAKE_CURRENT_BINARY_DIR}/vellmora.rc @ONLY)
target_sources(vellmora PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/vellmora.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/vellmora.rc PROPERTIES
    OBJECT_DEPENDS ${VELLMORA_ICO})

# The zip: flat, so that unpacking it gives the game and its folder of music side by side.
install(TARGETS vellmora RUNTIME DESTINATION .)
install(FILES xm/bg.xm DESTINATION xm)
configure_file(${PROJECT_SOURCE_DIR}/ports/win/windows-readme.txt ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY
    NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
install(FILES LICENSE DESTINATION .)
set(CPACK_PACKAGE_NAME vellmora)
set(CPACK_PACKAGE_VENDOR "Vellmora")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME vellmora-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)

enable_testing()
add_subdirectory(tests/win)
