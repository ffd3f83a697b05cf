# The game's icon as one .ico for a cross build (Windows, the browser), drawn from the font
# dump of a native build: a cross build runs none of its own programs.
set(VELLMORA_GLYPHS "" CACHE FILEPATH "glyphs.txt of a native build of the game")
if(NOT EXISTS "${VELLMORA_GLYPHS}")
    message(FATAL_ERROR "VELLMORA_GLYPHS='${VELLMORA_GLYPHS}': configure with the glyphs.txt "
        "that a native build writes (cmake --build build --target vellmora_icons)")
endif()

# A rule that makes `out`, an .ico holding the icon at each of the given sizes.
function(vellmora_ico out)
    set(pngs)
    foreach(size IN LISTS ARGN)
        list(APPEND pngs ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/apps/vellmora.png)
    endforeach()
    add_custom_command(OUTPUT ${out}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/makeicon.py
            ${VELLMORA_GLYPHS} ${CMAKE_CURRENT_BINARY_DIR}/icons ${ARGN}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/makeico.py ${out} ${pngs}
        DEPENDS ${PROJECT_SOURCE_DIR}/tools/makeicon.py ${PROJECT_SOURCE_DIR}/tools/makeico.py
            ${VELLMORA_GLYPHS}
        VERBATIM)
endfunction()
