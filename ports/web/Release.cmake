# The browser release: vellmora.js and vellmora.wasm with our own page around them, the
# music fetched beside it, the favicon, and the zip that static hosts and game portals take
# (index.html at its root). build-web/release holds it unpacked.

# The screen loop never returns: ASYNCIFY lets it await the browser's next frame once a
# pass. The page writes the music into the file system before main starts, and hears of the
# end through onExit, after Allegro's own exit handlers have let go of the sound.
# The way down to that await is all direct calls (main, the screen loops, platform_yield), so
# no call through a pointer (Allegro's drivers and blitters) needs the unwinding code that
# would otherwise slow every such function.
target_link_options(vellmora PRIVATE -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1
    -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency)

include(${PROJECT_SOURCE_DIR}/cmake/Icon.cmake)
set(VELLMORA_FAVICON ${CMAKE_CURRENT_BINARY_DIR}/favicon.ico)
vellmora_ico(${VELLMORA_FAVICON} 16 32 48)

set(release ${CMAKE_CURRENT_BINARY_DIR}/release)
set(VELLMORA_WEB_ZIP ${CMAKE_CURRENT_BINARY_DIR}/vellmora-${PROJECT_VERSION}-web.zip)
set(release_files index.html vellmora.js vellmora.wasm favicon.ico LICENSE xm/bg.xm)
add_custom_command(OUTPUT ${VELLMORA_WEB_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${release}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${release}/xm
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/ports/web/page/index.html
        $<TARGET_FILE_DIR:vellmora>/vellmora.js $<TARGET_FILE_DIR:vellmora>/vellmora.wasm
        ${VELLMORA_FAVICON} ${PROJECT_SOURCE_DIR}/LICENSE ${release}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/xm/bg.xm ${release}/xm
    COMMAND ${CMAKE_COMMAND} -E rm -f ${VELLMORA_WEB_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${release}
        ${CMAKE_COMMAND} -E tar cf ${VELLMORA_WEB_ZIP} --format=zip ${release_files}
    DEPENDS vellmora ${PROJECT_SOURCE_DIR}/ports/web/page/index.html ${VELLMORA_FAVICON}
        ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/xm/bg.xm
    VERBATIM)
add_custom_target(vellmora_web_release ALL DEPENDS ${VELLMORA_WEB_ZIP})

enable_testing()
add_subdirectory(tests/web)
