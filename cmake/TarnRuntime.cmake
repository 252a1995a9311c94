# The runtime library. Portable sources (no OS header) build in every flavour;
# OS sources build only for Windows; the host build gets its shim instead.
#
# Source rules:
#   Runtime/common/**          portable, every flavour
#   TARN_PORTABLE_OS_SOURCES   portable files that live in an OS directory
#   Runtime/r3, nt, generic    Windows only (Runtime/r3/host is the host shim)
#   Runtime/r3/win/nocrt-*     the no-CRT support (mem*, entry); linked only
#                              into no-CRT executables, never beside a CRT

# Flags every runtime object is built with: what a CRT-less program can host.
set(TARN_RT_COMPILE_FLAGS
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-threadsafe-statics -fno-stack-protector)
if(TARN_FLAVOUR STREQUAL "win32")
    # Every function in a section of its own, so that the installer's link
    # (tarn-pack, --gc-sections) leaves out what it never reaches. Data stays
    # together: with -fdata-sections zero-filled objects would take file space.
    # No frame pointer (mingw keeps one by default): nothing walks the stack
    # by it, and the code is smaller without.
    list(APPEND TARN_RT_COMPILE_FLAGS -ffunction-sections -fomit-frame-pointer)
    # Source-file tags (RTMEM_TAG) relative to the source tree: shorter, and
    # the same wherever the tree lies.
    list(APPEND TARN_RT_COMPILE_FLAGS -fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)
endif()

# What every Windows object of the project is compiled with, and the only
# system libraries a product executable may import (checked on nocrt-probe).
set(TARN_WIN_DEFINITIONS RT_OS_WINDOWS UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
set(TARN_ALLOWED_IMPORTS kernel32 user32 gdi32 shlwapi ole32 ntdll)

set(TARN_PORTABLE_OS_SOURCES
    ${CMAKE_SOURCE_DIR}/Runtime/nt/RTErrConvertFromNtStatus.cpp
    ${CMAKE_SOURCE_DIR}/Runtime/generic/RTPathGetCurrentDrive-generic.cpp)

file(GLOB_RECURSE TARN_RT_COMMON CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Runtime/common/*.cpp)
foreach(src IN LISTS TARN_PORTABLE_OS_SOURCES)
    # A source named here that is missing is a mistake: stop rather than build without it.
    if(NOT EXISTS ${src})
        message(FATAL_ERROR "TARN_PORTABLE_OS_SOURCES names a missing file: ${src}")
    endif()
    list(APPEND TARN_RT_COMMON ${src})
endforeach()

if(TARN_FLAVOUR STREQUAL "win32")
    # The lazy import tables and their resolver are i686 assembly (.S, run
    # through the C preprocessor).
    enable_language(ASM)
    file(GLOB_RECURSE TARN_RT_OS CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/Runtime/r3/*.cpp
         ${CMAKE_SOURCE_DIR}/Runtime/r3/*.S
         ${CMAKE_SOURCE_DIR}/Runtime/nt/*.cpp
         ${CMAKE_SOURCE_DIR}/Runtime/generic/*.cpp)
    list(FILTER TARN_RT_OS EXCLUDE REGEX "/Runtime/r3/host/|/nocrt-[^/]*$")
    foreach(src IN LISTS TARN_PORTABLE_OS_SOURCES)
        list(REMOVE_ITEM TARN_RT_OS ${src})
    endforeach()
    file(GLOB TARN_RT_NOCRT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Runtime/r3/win/nocrt-*.cpp)
else()
    file(GLOB_RECURSE TARN_RT_OS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Runtime/r3/host/*.cpp)
endif()

# The libraries that products are linked from (the runtime's and the stub's
# product variants) hold objects with the compiler's intermediate code, so the
# installer's link (TARN_PRODUCT_LINK_FLAGS) optimises across files: what is
# inlined everywhere or never reached leaves no code behind. CMake archives
# them with the compiler's archiver, which indexes such objects. The test
# variants and the no-CRT support stay ordinary objects.
function(tarn_product_lto target)
    if(TARN_FLAVOUR STREQUAL "win32")
        set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
        # Smallest code: -Oz prefers size to speed even where -Os does not (the
        # time goes to the system calls and memcmp anyway), and a 4-byte stack
        # alignment, all that 32-bit Windows guarantees, spares the padding;
        # switches as compares, not tables of addresses that each need a base
        # relocation.
        target_compile_options(${target} PRIVATE -Oz -mpreferred-stack-boundary=2 -fno-jump-tables)
    endif()
endfunction()

# Two variants of the same sources: tarnrt for products (and fuzzing), and
# tarnrt-test with RT_WITH_SEAMS, whose seam tables let tests replace calls the
# runtime makes (see Runtime/include/internal/seam.h). Products never link the
# test variant, so they carry no seam.
function(tarn_add_runtime_library name)
    add_library(${name} STATIC ${TARN_RT_COMMON} ${TARN_RT_OS})
    target_include_directories(${name}
        PUBLIC ${CMAKE_SOURCE_DIR}/include
        PRIVATE ${CMAKE_SOURCE_DIR}/Runtime/include)
    target_compile_options(${name} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${TARN_RT_COMPILE_FLAGS}>")
    if(TARN_FLAVOUR STREQUAL "win32")
        target_compile_definitions(${name} PUBLIC ${TARN_WIN_DEFINITIONS})
        target_link_libraries(${name} PUBLIC ${TARN_ALLOWED_IMPORTS})
    else()
        target_compile_definitions(${name} PUBLIC RT_OS_HOST)
    endif()
endfunction()

if(NOT TARN_FLAVOUR STREQUAL "host")
    tarn_add_runtime_library(tarnrt)
    tarn_product_lto(tarnrt)
endif()
if(NOT TARN_FLAVOUR STREQUAL "fuzz")
    tarn_add_runtime_library(tarnrt-test)
    target_compile_definitions(tarnrt-test PUBLIC RT_WITH_SEAMS)
endif()

if(TARN_FLAVOUR STREQUAL "win32")
    add_library(tarnrt_nocrt STATIC ${TARN_RT_NOCRT})
    target_include_directories(tarnrt_nocrt PRIVATE ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/Runtime/include)
    target_compile_options(tarnrt_nocrt PRIVATE ${TARN_RT_COMPILE_FLAGS} -fno-builtin -fno-tree-loop-distribute-patterns)
    target_compile_definitions(tarnrt_nocrt PRIVATE ${TARN_WIN_DEFINITIONS})

    # The no-CRT link of every program and DLL without the C runtime (libgcc
    # only for the compiler's helpers), and what a product executable adds: a
    # GUI program, stripped, without time stamp, without unreached sections,
    # optimised for size across the objects of tarn_product_lto libraries as
    # one unit (ordinary objects link as they are).
    # tarn-pack links installers with both, read from the stub kit.
    set(TARN_NOCRT_LINK_FLAGS -nostdlib -nostartfiles -static-libgcc)
    set(TARN_PRODUCT_LINK_FLAGS -mwindows -s -Wl,--no-insert-timestamp -Wl,--gc-sections -flto -flto-partition=one)
    # The compiler's helpers (libgcc: stack probes, 64-bit division) as a
    # library that kits list among their own. An optimising link must find
    # them inside the group of the archives it optimises: otherwise GNU ld
    # 2.40 crashes while it writes the base relocations (.reloc).
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                    OUTPUT_VARIABLE TARN_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    add_library(tarnrt_libgcc STATIC IMPORTED GLOBAL)
    set_target_properties(tarnrt_libgcc PROPERTIES IMPORTED_LOCATION ${TARN_LIBGCC})
    # The same for programs of this tree that link the product runtime: the
    # runtime's archives and libgcc in one group, then the system libraries.
    set(TARN_NOCRT_PRODUCT_LIBRARIES
        -Wl,--start-group $<TARGET_FILE:tarnrt> $<TARGET_FILE:tarnrt_nocrt> -lgcc -Wl,--end-group
        ${TARN_ALLOWED_IMPORTS})
    # The process entry of an executable on the runtime's own start-up (calls StubMain).
    set(TARN_NOCRT_ENTRY_SYMBOL _rtNoCrtStartupExe@0)
    set(TARN_NOCRT_ENTRY -Wl,-e,${TARN_NOCRT_ENTRY_SYMBOL})
endif()
