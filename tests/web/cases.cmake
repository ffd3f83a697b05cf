# The browser release played in headless Chromium by the end-to-end harness, one browser per
# case. Included by the web build's tests; `ctest -L web` runs them. The release is the
# unpacked directory the web build makes; the font is read from the native build's dump.
set(VELLMORA_WEB_RELEASE ${PROJECT_BINARY_DIR}/release CACHE PATH
    "The unpacked browser release the browser cases play")
set(VELLMORA_WEB_GLYPHS ${CMAKE_CURRENT_LIST_DIR}/../../build/glyphs.txt CACHE FILEPATH
    "The font dump of the native build, to read the page's picture with")
# The title frame is compared with the native game's, played under Xvfb on this display.
set(VELLMORA_WEB_NATIVE ${CMAKE_CURRENT_LIST_DIR}/../../build/vellmora CACHE FILEPATH
    "The native game whose title frame the page's must equal")
set(VELLMORA_WEB_DISPLAY 191 CACHE STRING "The X display the native game's title is shown on")
# Selenium is Debian's, seen only by Debian's own interpreter.
set(VELLMORA_WEB_PYTHON /usr/bin/python3 CACHE FILEPATH "The Python that imports selenium")

foreach(casename title full_game resize no_module)
    add_test(NAME web.${casename}
        COMMAND ${VELLMORA_WEB_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/../e2e/run.py web_${casename}
            --browser ${VELLMORA_WEB_RELEASE} --glyphs ${VELLMORA_WEB_GLYPHS}
            --workdir ${PROJECT_BINARY_DIR}/web-e2e/${casename}
            --source ${CMAKE_CURRENT_LIST_DIR}/../..
            --binary ${VELLMORA_WEB_NATIVE} --display ${VELLMORA_WEB_DISPLAY})
    set_tests_properties(web.${casename} PROPERTIES LABELS web TIMEOUT 300
        SKIP_RETURN_CODE 77)
endforeach()
