# The Windows release's libraries: Allegro and DUMB as static libraries from the prefix that
# scripts/windeps prints, and Boost's headers (nothing else) from the build machine.
set(VELLMORA_WINDEPS "" CACHE PATH "Where scripts/windeps installed the static Allegro and DUMB")
foreach(lib alleg dumb aldmb)
    if(NOT EXISTS "${VELLMORA_WINDEPS}/lib/lib${lib}.a")
        message(FATAL_ERROR "no lib${lib}.a in VELLMORA_WINDEPS='${VELLMORA_WINDEPS}': "
            "configure with -DVELLMORA_WINDEPS=$(scripts/windeps BUILD_DIR)")
    endif()
endforeach()

add_library(vellmora_allegro INTERFACE)
target_include_directories(vellmora_allegro SYSTEM INTERFACE ${VELLMORA_WINDEPS}/include)
target_compile_definitions(vellmora_allegro INTERFACE ALLEGRO_STATICLINK)
target_link_libraries(vellmora_allegro INTERFACE ${VELLMORA_WINDEPS}/lib/liballeg.a
    kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound)
set(VELLMORA_ALLEGRO vellmora_allegro)

# aldmb before dumb, and both before Allegro: a static link resolves left to right.
add_library(vellmora_dumb INTERFACE)
target_link_libraries(vellmora_dumb INTERFACE ${VELLMORA_WINDEPS}/lib/libaldmb.a
    ${VELLMORA_WINDEPS}/lib/libdumb.a vellmora_allegro)

include(${PROJECT_SOURCE_DIR}/cmake/BoostHeaders.cmake)
