# Debian's hardening flags for package and release builds: fortified libc calls, a strong
# stack protector, read-only relocations bound at start-up, and a position-independent
# executable. dpkg-buildflags is asked when present, so a Debian machine's own policy wins.
if(NOT VELLMORA_HARDEN)
    return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
    # bindnow is not among dpkg's defaults; +all asks for every feature unless the builder
    # chose otherwise.
    if(DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
        set(maint_options "$ENV{DEB_BUILD_MAINT_OPTIONS}")
    else()
        set(maint_options "hardening=+all")
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        # Run from the source tree: its -ffile-prefix-map then keeps build paths out of
        # the binary.
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=${maint_options}
                ${DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
            OUTPUT_VARIABLE vellmora_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
        endif()
    endforeach()
else()
    set(vellmora_CPPFLAGS "-D_FORTIFY_SOURCE=2")
    set(vellmora_CXXFLAGS "-fstack-protector-strong -Wformat -Werror=format-security")
    set(vellmora_LDFLAGS "-Wl,-z,relro -Wl,-z,now")
endif()
message(STATUS "Hardening: ${vellmora_CPPFLAGS} ${vellmora_CXXFLAGS} ${vellmora_LDFLAGS} PIE")

# Before the build type's own flags on the command line, so they keep their -O level.
string(APPEND CMAKE_CXX_FLAGS " ${vellmora_CPPFLAGS} ${vellmora_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${vellmora_LDFLAGS}")

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
