# Shared settings for the project's own targets (not for third-party code).

function(tendril_target_defaults target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /permissive-)
        if(TENDRIL_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor)
        if(TENDRIL_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
        # GCC 12 at -O3 reports an overlap inside std::string's own inlined insert, as in
        # "'" + s + "'" (GCC bug 105329): kept visible, but it breaks no release build.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            target_compile_options(${target} PRIVATE -Wno-error=restrict)
        endif()
    endif()
    if(WIN32)
        target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                     _WIN32_WINNT=0x0601)
    endif()
    if(WIN32 AND NOT MSVC)
        # The shipped images must not depend on where the tree or the build folder lies.
        target_compile_options(${target} PRIVATE -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                                                 -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
    endif()
    if(TENDRIL_SANITIZE AND NOT WIN32)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=all)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# Windows executables carry the runtime inside them: the launcher may import system DLLs only.
function(tendril_windows_executable target)
    if(NOT WIN32)
        return()
    endif()
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
                        -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--build-id
                        # Reproducible: no link time in the headers (the build id, and with it
                        # the PDB's GUID, is a hash of the content).
                        -Wl,--no-insert-timestamp
                        # A release image without its symbol table: less to map at each start.
                        $<$<CONFIG:Release>:-s>)
endfunction()

# A debug identity that a module description accepts: ld's --build-id record alone names no
# PDB and is shorter than a CodeView record must be; --pdb= names one (written beside the
# build), as other linkers always do.
function(tendril_debug_identity target)
    if(WIN32 AND NOT MSVC)
        target_link_options(${target} PRIVATE -Wl,--pdb=)
        # ld writes the PDB into the build folder, named after the image, with absolute
        # paths and the link time in it: rewritten so that it depends on the sources only.
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND python3 ${CMAKE_SOURCE_DIR}/packaging/pdb_file.py relative
                    ${CMAKE_BINARY_DIR}/$<TARGET_FILE_BASE_NAME:${target}>.pdb ${CMAKE_BINARY_DIR}
            VERBATIM)
    endif()
endfunction()

# Control-flow guard where the compiler can emit it (MSVC, clang); mingw-w64 GCC cannot.
function(tendril_control_flow_guard target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /guard:cf)
        target_link_options(${target} PRIVATE /guard:cf)
    elseif(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        target_compile_options(${target} PRIVATE -mguard=cf)
        target_link_options(${target} PRIVATE -mguard=cf)
    endif()
endfunction()

# One test executable per unit. Host tests are listed one by one; Windows tests run as a
# whole under Wine, since every start of a Wine process costs time.
#   tendril_add_test(NAME n SOURCES ... [LIBS ...] [LOCKS ...] [LABELS ...])
function(tendril_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;LOCKS;LABELS" ${ARGN})
    if(WIN32)
        # Every Windows program of the system has its function tables filled before main.
        add_executable(${ARG_NAME} ${TENDRIL_FUNCTION_TABLES_INIT} ${ARG_SOURCES})
        target_link_libraries(${ARG_NAME} PRIVATE tendril_platform)
        tendril_debug_identity(${ARG_NAME})
    else()
        add_executable(${ARG_NAME} ${ARG_SOURCES})
    endif()
    tendril_target_defaults(${ARG_NAME})
    tendril_windows_executable(${ARG_NAME})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    if(WIN32)
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
        set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 600)
        set(names ${ARG_NAME})
    else()
        include(GoogleTest)
        gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
        # Locks and labels below apply to the whole executable's tests on the host too.
        set(names "")
    endif()
    if(ARG_LOCKS AND names)
        set_tests_properties(${names} PROPERTIES RESOURCE_LOCK "${ARG_LOCKS}")
    endif()
    if(ARG_LABELS AND names)
        set_tests_properties(${names} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
