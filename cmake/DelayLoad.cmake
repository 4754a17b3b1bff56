# Delay-loaded system DLLs: an import library that loads its DLL on the first call of one of
# its functions. Every start of the product pays for each DLL imported the ordinary way.
#   tendril_delay_loaded_library(<target> <def file>) makes the interface library <target>.
function(tendril_delay_loaded_library target def_file)
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
    add_custom_command(OUTPUT ${library}
        COMMAND ${dlltool} ${kill_at} --input-def ${def} --output-delaylib ${library}
        DEPENDS ${def} ${def_file}
        COMMENT "Delay-load library ${target}")
    add_custom_target(${target}_generate DEPENDS ${library})
    add_library(${target} INTERFACE)
    add_dependencies(${target} ${target}_generate)
    target_link_libraries(${target} INTERFACE ${library})
endfunction()
