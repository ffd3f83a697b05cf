# Boost's headers, and nothing else, for a cross build (Windows, the browser): the build
# machine's include directory must not be searched whole, or its C library headers would
# shadow the target's. An imported Boost::boost over a directory that holds only boost/.
find_path(VELLMORA_BOOST_ROOT boost/version.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT VELLMORA_BOOST_ROOT)
    message(FATAL_ERROR "Boost's headers are required (Debian: libboost-dev)")
endif()
set(boost_only ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${boost_only})
file(CREATE_LINK ${VELLMORA_BOOST_ROOT}/boost ${boost_only}/boost SYMBOLIC)
add_library(Boost::boost INTERFACE IMPORTED)
target_include_directories(Boost::boost SYSTEM INTERFACE ${boost_only})
