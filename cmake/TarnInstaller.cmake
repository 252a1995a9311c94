# Building installers: the stub kit (the prebuilt stub that scripts/tarn-pack
# makes installers from) and tarn_add_installer.
#
#   tarn_add_stub_kit(<target> <dir> ENTRY <symbol> LIBRARIES <lib>...)
#       Links the stub from the given library targets (imported ones too)
#       without C runtime, entered at <symbol>, as <dir>/stub.exe and writes
#       <dir>/stub.conf and <dir>/container.conf beside it. The first kit made
#       is the default one of tarn_add_installer.
#
#   tarn_add_installer(...): see TarnAddInstaller.cmake.

set(TARN_PACK ${CMAKE_SOURCE_DIR}/scripts/tarn-pack)
file(GLOB TARN_PACK_MODULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scripts/tarnpack/*.py)

# The container's, the certificate resource's and the splash picture's
# layouts as tarn-pack and the test fixtures read them from a kit: every
# PACKAGE_ definition of the installer's package header, every EMBEDDED_CERT
# one of its certificate header and the splash picture's resource type and
# identifier, written again whenever a header changes.
set(TARN_PACKAGE_HEADER ${CMAKE_SOURCE_DIR}/Installer/win/Stub/TarnStubPackage.h)
set(TARN_CERTS_HEADER ${CMAKE_SOURCE_DIR}/Installer/win/Stub/TarnStubEmbeddedCerts.h)
set(TARN_SPLASH_HEADER ${CMAKE_SOURCE_DIR}/Installer/win/Stub/TarnStubSplash-win.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARN_PACKAGE_HEADER} ${TARN_CERTS_HEADER}
                                                               ${TARN_SPLASH_HEADER})
# Appends "NAME = value" to TARN_CONTAINER_LAYOUT for every "#define
# <prefix>_NAME value" of header, without quotes, L and UINT32_C().
function(tarn_append_layout header prefix)
    file(STRINGS ${header} lines REGEX "^#define ${prefix}_[A-Z0-9_]+ ")
    set(layout "${TARN_CONTAINER_LAYOUT}")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^#define (${prefix}_[A-Z0-9_]+) +([^/]*[^/ ]).*$" "\\1 = \\2" entry "${line}")
        string(REGEX REPLACE "UINT32_C\\(([0-9]+)\\)" "\\1" entry "${entry}")
        string(REPLACE "= L\"" "= \"" entry "${entry}")
        string(REPLACE "\"" "" entry "${entry}")
        string(APPEND layout "${entry}\n")
    endforeach()
    set(TARN_CONTAINER_LAYOUT "${layout}" PARENT_SCOPE)
endfunction()
set(TARN_CONTAINER_LAYOUT
    "# The installer's layouts, from TarnStubPackage.h, TarnStubEmbeddedCerts.h and TarnStubSplash-win.h.\n")
tarn_append_layout(${TARN_PACKAGE_HEADER} PACKAGE)
tarn_append_layout(${TARN_CERTS_HEADER} EMBEDDED_CERT)
tarn_append_layout(${TARN_SPLASH_HEADER} STUB_SPLASH_RESOURCE)

function(tarn_add_stub_kit target dir)
    cmake_parse_arguments(PARSE_ARGV 2 KIT "" "ENTRY" "LIBRARIES")
    # The link runs in a directory of its own with the archives copied in
    # under fixed names: an optimising link's result depends on the names of
    # its inputs, and so the stub is the same wherever the tree is built.
    set(link_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-link)
    set(copies "")
    set(depends "")
    set(libs "")
    foreach(lib IN LISTS KIT_LIBRARIES)
        list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${lib}> kit/lib${lib}.a)
        list(APPEND libs -l${lib})
        # An imported library (an import library made by a custom command) is a file to depend on.
        get_target_property(imported ${lib} IMPORTED)
        if(imported)
            list(APPEND depends $<TARGET_FILE:${lib}>)
        else()
            list(APPEND depends ${lib})
        endif()
    endforeach()
    set(system_libs ${TARN_ALLOWED_IMPORTS} gcc)
    list(TRANSFORM system_libs PREPEND -l OUTPUT_VARIABLE syslib_flags)
    set(link_line ${TARN_NOCRT_LINK_FLAGS} ${TARN_PRODUCT_LINK_FLAGS} -Wl,-e,${KIT_ENTRY} -Wl,-u,${KIT_ENTRY}
                  -Lkit -Wl,--start-group ${libs} -Wl,--end-group ${syslib_flags})
    # What the packer's tests link reference images with: the same link, by name.
    string(JOIN " " link_flags ${TARN_NOCRT_LINK_FLAGS} ${TARN_PRODUCT_LINK_FLAGS})
    string(JOIN " " lib_names ${KIT_LIBRARIES})
    string(JOIN " " syslib_names ${system_libs})
    file(GENERATE OUTPUT ${link_dir}/link.conf CONTENT
"# How the stub of ${dir} is linked (in this directory).
cc = ${CMAKE_C_COMPILER}
cxx = ${CMAKE_CXX_COMPILER}
windres = ${CMAKE_RC_COMPILER}
entry = ${KIT_ENTRY}
link-flags = ${link_flags}
libraries = ${lib_names}
system-libraries = ${syslib_names}
")
    file(GENERATE OUTPUT ${dir}/stub.conf CONTENT
"# Stub kit of the Tarnvale Installer, read by tarn-pack.
version = ${PROJECT_VERSION}
stub = stub.exe
")
    # The container's, the certificate resource's and the splash picture's layouts.
    file(WRITE ${dir}/container.conf "${TARN_CONTAINER_LAYOUT}")
    add_custom_command(OUTPUT ${dir}/stub.exe
                       COMMAND ${CMAKE_COMMAND} -E make_directory kit
                       ${copies}
                       COMMAND ${CMAKE_CXX_COMPILER} -o stub.exe ${link_line}
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different stub.exe ${dir}/stub.exe
                       WORKING_DIRECTORY ${link_dir}
                       DEPENDS ${depends}
                       COMMENT "Stub kit ${dir}"
                       VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${dir}/stub.exe)
    set_property(TARGET ${target} PROPERTY TARN_KIT_DIR ${dir})
    set_property(TARGET ${target} PROPERTY TARN_KIT_FILES ${dir}/stub.conf ${dir}/container.conf ${dir}/stub.exe)
    set_property(TARGET ${target} PROPERTY TARN_KIT_LINK_DIR ${link_dir})
    get_property(default GLOBAL PROPERTY TARN_DEFAULT_KIT)
    if(NOT default)
        set_property(GLOBAL PROPERTY TARN_DEFAULT_KIT ${target})
    endif()
endfunction()

# tarn_add_installer, shared with the installed CMake package: in this tree
# it packs with the source tree's tarn-pack and a kit target of this build.
set(TARN_PACK_COMMAND ${Python3_EXECUTABLE} ${TARN_PACK})
include(${CMAKE_CURRENT_LIST_DIR}/TarnAddInstaller.cmake)
