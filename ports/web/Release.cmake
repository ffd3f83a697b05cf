# The browser release: vellmora.js and vellmora.wasm with our own page around them, the
# music fetched beside it, the icons, the manifest and the service worker that make it an
# installable app that plays offline, and the zip that static hosts and game portals take
# (index.html at its root). build-web/release holds it unpacked.

# The browser calls the game's passes, one an animation frame. The page writes the music into
# the file system before main starts, and hears of the end through onExit, after Allegro's
# own exit handlers have let go of the sound.
target_link_options(vellmora PRIVATE -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency)

include(${PROJECT_SOURCE_DIR}/cmake/Icon.cmake)
set(VELLMORA_FAVICON ${CMAKE_CURRENT_BINARY_DIR}/favicon.ico)
vellmora_ico(${VELLMORA_FAVICON} 16 32 48)

# The icons the manifest names, and the opaque one an iPhone's home screen rounds itself.
vellmora_pngs(anyicons ${CMAKE_CURRENT_BINARY_DIR}/webicons/any 192 512)
vellmora_pngs(maskicons ${CMAKE_CURRENT_BINARY_DIR}/webicons/maskable 512 180)
list(GET anyicons 0 icon192)
list(GET anyicons 1 icon512)
list(GET maskicons 0 icon512maskable)
list(GET maskicons 1 icontouch)

set(page ${PROJECT_SOURCE_DIR}/ports/web/page)
set(release ${CMAKE_CURRENT_BINARY_DIR}/release)
set(VELLMORA_WEB_ZIP ${CMAKE_CURRENT_BINARY_DIR}/vellmora-${PROJECT_VERSION}-web.zip)
set(release_files index.html vellmora.js vellmora.wasm favicon.ico LICENSE xm/bg.xm
    manifest.webmanifest icon-192.png icon-512.png icon-512-maskable.png apple-touch-icon.png
    serviceworker.js)
# The service worker is written last: it lists every other file of the release.
add_custom_command(OUTPUT ${VELLMORA_WEB_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${release}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${release}/xm
    COMMAND ${CMAKE_COMMAND} -E copy ${page}/index.html ${page}/manifest.webmanifest
        $<TARGET_FILE_DIR:vellmora>/vellmora.js $<TARGET_FILE_DIR:vellmora>/vellmora.wasm
        ${VELLMORA_FAVICON} ${PROJECT_SOURCE_DIR}/LICENSE ${release}
    COMMAND ${CMAKE_COMMAND} -E copy ${icon192} ${release}/icon-192.png
    COMMAND ${CMAKE_COMMAND} -E copy ${icon512} ${release}/icon-512.png
    COMMAND ${CMAKE_COMMAND} -E copy ${icon512maskable} ${release}/icon-512-maskable.png
    COMMAND ${CMAKE_COMMAND} -E copy ${icontouch} ${release}/apple-touch-icon.png
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/xm/bg.xm ${release}/xm
    COMMAND ${CMAKE_COMMAND} -DRELEASE_DIR=${release} -DVERSION=${PROJECT_VERSION}
        -P ${PROJECT_SOURCE_DIR}/ports/web/ServiceWorker.cmake
    COMMAND ${CMAKE_COMMAND} -E rm -f ${VELLMORA_WEB_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${release}
        ${CMAKE_COMMAND} -E tar cf ${VELLMORA_WEB_ZIP} --format=zip ${release_files}
    DEPENDS vellmora ${page}/index.html ${page}/manifest.webmanifest ${page}/serviceworker.js
        ${PROJECT_SOURCE_DIR}/ports/web/ServiceWorker.cmake ${VELLMORA_FAVICON}
        ${anyicons} ${maskicons} ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/xm/bg.xm
    VERBATIM)
add_custom_target(vellmora_web_release ALL DEPENDS ${VELLMORA_WEB_ZIP})

enable_testing()
add_subdirectory(tests/web)
