# Writes a release's service worker: the template from page/ with the release's name (the
# version and a digest of every file, so that no two different releases share one) and the
# list of its files, which is every file in the release directory but the worker itself.
#   cmake -DRELEASE_DIR=<dir> -DVERSION=<version> -P ServiceWorker.cmake
if(NOT IS_DIRECTORY "${RELEASE_DIR}" OR NOT VERSION)
    message(FATAL_ERROR "usage: cmake -DRELEASE_DIR=<dir> -DVERSION=<version> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
set(worker serviceworker.js)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${RELEASE_DIR} ${RELEASE_DIR}/*)
list(REMOVE_ITEM files ${worker})
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
    if(file MATCHES " ")
        message(FATAL_ERROR "${file}: the worker's list of files holds no spaces")
    endif()
    file(SHA256 ${RELEASE_DIR}/${file} sum)
    string(APPEND sums "${sum} ${file}\n")
endforeach()
string(SHA256 digest "${sums}")
string(SUBSTRING ${digest} 0 12 digest)
set(VELLMORA_RELEASE "vellmora-${VERSION}-${digest}")
list(JOIN files " " VELLMORA_FILES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/page/${worker} ${RELEASE_DIR}/${worker} @ONLY)
