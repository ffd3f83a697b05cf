# The browser release's libraries: Allegro (its portable core with our page drivers) and DUMB
# as static WebAssembly libraries from the prefix that scripts/webdeps prints.
set(VELLMORA_WEBDEPS "" CACHE PATH "Where scripts/webdeps installed Allegro and DUMB")
include(${PROJECT_SOURCE_DIR}/cmake/Prebuilt.cmake)
vellmora_prebuilt("${VELLMORA_WEBDEPS}" webdeps)
set(VELLMORA_ALLEGRO vellmora_allegro)
