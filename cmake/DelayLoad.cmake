# Delay-loaded system DLLs: an import library that loads its DLL on the first call of one of
# its functions. Every start of the product pays for each DLL imported the ordinary way.
#   tendril_delay_loaded_library(<target> <def file> <import macro>) makes the interface library
#   <target>; <import macro> is the headers' dllimport marker of that DLL's functions
#   (WINADVAPI for advapi32).
function(tendril_delay_loaded_library target def_file import_macro)
    string(REGEX REPLACE "(g\\+\\+|gcc)(-posix)?$" "dlltool" dlltool "${CMAKE_CXX_COMPILER}")
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
    set(library ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        configure_file(${def_file} ${def} COPYONLY)
        set(kill_at --kill-at)
    else()
        # x86-64 has one calling convention and no decoration.
        file(READ ${def_file} text)
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
        file(GENERATE OUTPUT ${def} CONTENT "${text}")
        set(kill_at "")
    endif()
    # dlltool names its members and symbols after the output path as given: a relative one
    # keeps the build folder out of the images' PDBs.
    add_custom_command(OUTPUT ${library}
        COMMAND ${dlltool} ${kill_at} --input-def ${def} --output-delaylib lib${target}.a
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DEPENDS ${def} ${def_file}
        COMMENT "Delay-load library ${target}")
    add_custom_target(${target}_generate DEPENDS ${library})
    add_library(${target} INTERFACE)
    add_dependencies(${target} ${target}_generate)
    target_link_libraries(${target} INTERFACE ${library})
    # Users call the library's functions through its thunks, not through their __imp_ slots:
    # for i386, ld leaves a delay-load slot that code reads directly (a dllimport call) empty
    # instead of pointing it at its loader thunk, and the first call jumps to address 0
    # (binutils bug 14339). The headers then declare these functions without dllimport.
    target_compile_definitions(${target} INTERFACE ${import_macro}=)
endfunction()
