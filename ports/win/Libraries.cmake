# The Windows release's libraries: Allegro and DUMB as static libraries from the prefix that
# scripts/windeps prints, with the Windows libraries Allegro's drivers call.
set(VELLMORA_WINDEPS "" CACHE PATH "Where scripts/windeps installed the static Allegro and DUMB")
include(${PROJECT_SOURCE_DIR}/cmake/Prebuilt.cmake)
vellmora_prebuilt("${VELLMORA_WINDEPS}" windeps)
target_compile_definitions(vellmora_allegro INTERFACE ALLEGRO_STATICLINK)
target_link_libraries(vellmora_allegro INTERFACE
    kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound)
set(VELLMORA_ALLEGRO vellmora_allegro)
