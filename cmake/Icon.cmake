# The game's icon for a cross build (Windows, the browser), drawn from the font dump of a
# native build: a cross build runs none of its own programs.
set(VELLMORA_GLYPHS "" CACHE FILEPATH "glyphs.txt of a native build of the game")
if(NOT EXISTS "${VELLMORA_GLYPHS}")
    message(FATAL_ERROR "VELLMORA_GLYPHS='${VELLMORA_GLYPHS}': configure with the glyphs.txt "
        "that a native build writes (cmake --build build --target vellmora_icons)")
endif()

# A rule that draws the icon as PNGs into dir/SIZExSIZE/apps/vellmora.png at each of the
# given sizes, and sets `var` to them. With MASKABLE they are opaque, for launchers that
# cut a shape of their own out of an icon.
function(vellmora_pngs var dir)
    cmake_parse_arguments(PARSE_ARGV 2 arg MASKABLE "" "")
    set(flag)
    if(arg_MASKABLE)
        set(flag --maskable)
    endif()
    set(pngs)
    foreach(size IN LISTS arg_UNPARSED_ARGUMENTS)
        list(APPEND pngs ${dir}/${size}x${size}/apps/vellmora.png)
    endforeach()
    add_custom_command(OUTPUT ${pngs}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/makeicon.py ${flag}
            ${VELLMORA_GLYPHS} ${dir} ${arg_UNPARSED_ARGUMENTS}
        DEPENDS ${PROJECT_SOURCE_DIR}/tools/makeicon.py ${VELLMORA_GLYPHS}
        VERBATIM)
    set(${var} ${pngs} PARENT_SCOPE)
endfunction()

# A rule that makes `out`, an .ico holding the icon at each of the given sizes.
function(vellmora_ico out)
    vellmora_pngs(pngs ${CMAKE_CURRENT_BINARY_DIR}/icons ${ARGN})
    add_custom_command(OUTPUT ${out}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/makeico.py ${out} ${pngs}
        DEPENDS ${PROJECT_SOURCE_DIR}/tools/makeico.py ${pngs}
        VERBATIM)
endfunction()
