# The browser release's libraries: Allegro (its portable core with our page drivers) and DUMB
# as static WebAssembly libraries from the prefix that scripts/webdeps prints, and Boost's
# headers from the build machine.
set(VELLMORA_WEBDEPS "" CACHE PATH "Where scripts/webdeps installed Allegro and DUMB")
foreach(lib alleg dumb aldmb)
    if(NOT EXISTS "${VELLMORA_WEBDEPS}/lib/lib${lib}.a")
        message(FATAL_ERROR "no lib${lib}.a in VELLMORA_WEBDEPS='${VELLMORA_WEBDEPS}': "
            "configure with -DVELLMORA_WEBDEPS=$(scripts/webdeps BUILD_DIR)")
    endif()
endforeach()

add_library(vellmora_allegro INTERFACE)
target_include_directories(vellmora_allegro SYSTEM INTERFACE ${VELLMORA_WEBDEPS}/include)
target_link_libraries(vellmora_allegro INTERFACE ${VELLMORA_WEBDEPS}/lib/liballeg.a)
set(VELLMORA_ALLEGRO vellmora_allegro)

# aldmb before dumb, and both before Allegro: a static link resolves left to right.
add_library(vellmora_dumb INTERFACE)
target_link_libraries(vellmora_dumb INTERFACE ${VELLMORA_WEBDEPS}/lib/libaldmb.a
    ${VELLMORA_WEBDEPS}/lib/libdumb.a vellmora_allegro)

include(${PROJECT_SOURCE_DIR}/cmake/BoostHeaders.cmake)
