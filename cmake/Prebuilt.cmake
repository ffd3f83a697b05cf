# A release's own static Allegro and DUMB, from the prefix a deps script printed: the
# targets vellmora_allegro and vellmora_dumb, and Boost's headers (nothing else) from the
# build machine. The caller adds what its platform links besides.
include(${PROJECT_SOURCE_DIR}/cmake/BoostHeaders.cmake)

function(vellmora_prebuilt prefix script)
    foreach(lib alleg dumb aldmb)
        if(NOT EXISTS "${prefix}/lib/lib${lib}.a")
            message(FATAL_ERROR "no lib${lib}.a in '${prefix}': configure with the prefix "
                "that $(scripts/${script} BUILD_DIR) prints")
        endif()
    endforeach()
    add_library(vellmora_allegro INTERFACE)
    target_include_directories(vellmora_allegro SYSTEM INTERFACE ${prefix}/include)
    target_link_libraries(vellmora_allegro INTERFACE ${prefix}/lib/liballeg.a)
    # aldmb before dumb, and both before Allegro: a static link resolves left to right.
    add_library(vellmora_dumb INTERFACE)
    target_link_libraries(vellmora_dumb INTERFACE ${prefix}/lib/libaldmb.a
        ${prefix}/lib/libdumb.a vellmora_allegro)
endfunction()
