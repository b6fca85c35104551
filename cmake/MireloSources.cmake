# Splits a folder's C++ sources into the platform-free part and the Win32 part by the naming rule:
# a file that needs Windows headers ends in _win.cpp or lives in a folder named win/.
function(mirelo_split_sources dir out_core out_win)
    file(GLOB_RECURSE all CONFIGURE_DEPENDS "${dir}/*.cpp")
    set(core "")
    set(win "")
    foreach(f IN LISTS all)
        file(RELATIVE_PATH rel "${dir}" "${f}")
        if(f MATCHES "_win\\.cpp$" OR rel MATCHES "(^|/)win/")
            list(APPEND win "${f}")
        else()
            list(APPEND core "${f}")
        endif()
    endforeach()
    set(${out_core} "${core}" PARENT_SCOPE)
    set(${out_win} "${win}" PARENT_SCOPE)
endfunction()

# Adds every direct subfolder of `dir` that has a CMakeLists.txt; each decides what it builds.
function(mirelo_add_subfolders dir)
    file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${dir}/*")
    foreach(child IN LISTS children)
        if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
            add_subdirectory("${child}")
        endif()
    endforeach()
endfunction()

# The module-definition file for a DLL's exports. Its names carry the __stdcall decoration of 32-bit
# Windows ("Name@8"); 64-bit Windows has one calling convention and no decoration, so there a copy
# without the decorations is used.
function(mirelo_export_definitions source out_var)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(${out_var} "${source}" PARENT_SCOPE)
        return()
    endif()
    get_filename_component(name "${source}" NAME)
    set(generated "${CMAKE_CURRENT_BINARY_DIR}/${name}")
    file(READ "${source}" text)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    file(WRITE "${generated}" "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
    set(${out_var} "${generated}" PARENT_SCOPE)
endfunction()
