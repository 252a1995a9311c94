# Building installers: the stub kit (the prebuilt archives and link settings
# that scripts/tarn-pack links an installer from) and tarn_add_installer.
#
#   tarn_add_stub_kit(<target> <dir> ENTRY <symbol> LIBRARIES <lib>...)
#       Copies the archives of the given library targets (imported ones
#       too) into <dir> as lib<name>.a and writes <dir>/stub.conf. The first
#       kit made is the default one of tarn_add_installer.
#
#   tarn_add_installer(...): see TarnAddInstaller.cmake.

set(TARN_PACK ${CMAKE_SOURCE_DIR}/scripts/tarn-pack)

# The container's, the certificate table's and the splash picture's layouts
# as tarn-pack and the test fixtures read them from a kit: every PACKAGE_
# definition of the installer's package header, every EMBEDDED_CERT one of
# its certificate table header and the splash picture's resource type and
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
    set(files ${dir}/stub.conf)
    set(commands "")
    set(depends "")
    foreach(lib IN LISTS KIT_LIBRARIES)
        list(APPEND files ${dir}/lib${lib}.a)
        list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${lib}> ${dir}/lib${lib}.a)
        # An imported library (an import library made by a custom command) is a file to depend on.
        get_target_property(imported ${lib} IMPORTED)
        if(imported)
            list(APPEND depends $<TARGET_FILE:${lib}>)
        else()
            list(APPEND depends ${lib})
        endif()
    endforeach()
    string(JOIN " " libs ${KIT_LIBRARIES})
    string(JOIN " " syslibs ${TARN_ALLOWED_IMPORTS} gcc)
    string(JOIN " " link_flags ${TARN_NOCRT_LINK_FLAGS} ${TARN_PRODUCT_LINK_FLAGS})
    file(GENERATE OUTPUT ${dir}/stub.conf CONTENT
"# Stub kit of the Tarnvale Installer, read by tarn-pack.
version = ${PROJECT_VERSION}
cc = ${CMAKE_C_COMPILER}
cxx = ${CMAKE_CXX_COMPILER}
windres = ${CMAKE_RC_COMPILER}
entry = ${KIT_ENTRY}
link-flags = ${link_flags}
libraries = ${libs}
system-libraries = ${syslibs}
")
    # What tarn-pack generates from besides the archives.
    file(WRITE ${dir}/container.conf "${TARN_CONTAINER_LAYOUT}")
    configure_file(${CMAKE_SOURCE_DIR}/Installer/win/Stub/TarnStubEmbeddedCerts.h ${dir}/TarnStubEmbeddedCerts.h
                   COPYONLY)
    list(APPEND files ${dir}/container.conf ${dir}/TarnStubEmbeddedCerts.h)
    add_custom_command(OUTPUT ${dir}/.stamp ${commands}
                       COMMAND ${CMAKE_COMMAND} -E touch ${dir}/.stamp
                       DEPENDS ${depends}
                       COMMENT "Stub kit ${dir}")
    add_custom_target(${target} ALL DEPENDS ${dir}/.stamp)
    set_property(TARGET ${target} PROPERTY TARN_KIT_DIR ${dir})
    set_property(TARGET ${target} PROPERTY TARN_KIT_FILES ${files})
    get_property(default GLOBAL PROPERTY TARN_DEFAULT_KIT)
    if(NOT default)
        set_property(GLOBAL PROPERTY TARN_DEFAULT_KIT ${target})
    endif()
endfunction()

# tarn_add_installer, shared with the installed CMake package: in this tree
# it packs with the source tree's tarn-pack and a kit target of this build.
set(TARN_PACK_COMMAND ${Python3_EXECUTABLE} ${TARN_PACK})
include(${CMAKE_CURRENT_LIST_DIR}/TarnAddInstaller.cmake)
