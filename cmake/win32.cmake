# The win32 build: what ships in build/win32/dist, and the end-to-end tests run under Wine.
set(MIVRA_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${MIVRA_DIST_DIR})

file(GLOB MIVRA_WIN32_SOURCES CONFIGURE_DEPENDS src/*/*_win32.cpp src/os/win32/*.cpp)
list(FILTER MIVRA_WIN32_SOURCES EXCLUDE REGEX "/src/(recorder|checker)/")
add_executable(mivra WIN32 ${MIVRA_WIN32_SOURCES} src/resources/mivra.rc)
target_include_directories(mivra PRIVATE src)
target_compile_options(mivra PRIVATE ${MIVRA_CHARSET_FLAGS} ${MIVRA_WARNINGS})
# No shell32 or shlwapi: under Wine every library imported is loaded at each start; the few shell32
# functions are looked up when first used (os_system_function).
target_link_libraries(mivra mivra_logic user32 gdi32 kernel32)
set_target_properties(mivra PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MIVRA_DIST_DIR})
# One manifest for every program; the toolchain links no default one beside it (Manifest.* checks).
set_source_files_properties(src/resources/mivra.rc src/resources/manifest.rc
    PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/mivra.manifest)
set_source_files_properties(src/resources/mivra.rc PROPERTIES
    COMPILE_DEFINITIONS "MIVRA_VERSION_MAJOR=${MIVRA_VERSION_MAJOR};MIVRA_VERSION_MINOR=${MIVRA_VERSION_MINOR};MIVRA_VERSION_TEXT=${MIVRA_VERSION}")

# hist.exe, the clipboard history recorder: its own front over the history file's rules and the
# system seam.
add_executable(hist WIN32 src/recorder/recorder_win32.cpp src/os/win32/os_win32.cpp src/resources/manifest.rc)
target_include_directories(hist PRIVATE src)
target_compile_options(hist PRIVATE ${MIVRA_CHARSET_FLAGS} ${MIVRA_WARNINGS})
target_link_libraries(hist mivra_logic shlwapi shell32 user32 kernel32)
set_target_properties(hist PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MIVRA_DIST_DIR})

# mivracheck.exe, the data-file checker: a console program over the loader and the system seam.
add_executable(mivracheck src/checker/mivracheck_win32.cpp src/os/win32/os_win32.cpp src/resources/manifest.rc)
target_include_directories(mivracheck PRIVATE src)
target_compile_options(mivracheck PRIVATE ${MIVRA_CHARSET_FLAGS} ${MIVRA_WARNINGS})
target_link_libraries(mivracheck mivra_checker shlwapi shell32 user32 gdi32 kernel32)
set_target_properties(mivracheck PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MIVRA_DIST_DIR})

# What ships carries no debug information: each link moves it to dist/.debug/<file>.debug, which the
# stripped file names (a GNU debuglink) so gdb finds it there; the ZIP leaves .debug out. The symbol
# table goes too (a third of hist.exe); the .debug file keeps it. The linker writes a zero PE
# timestamp and objcopy and strip are told to keep it, so two builds of one commit are identical.
function(mivra_split_debug target)
    set(debug_file ${MIVRA_DIST_DIR}/.debug/$<TARGET_FILE_NAME:${target}>.debug)
    target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${MIVRA_DIST_DIR}/.debug
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug_file}
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_STRIP} --strip-all $<TARGET_FILE:${target}>
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                ${CMAKE_OBJCOPY} --add-gnu-debuglink=${debug_file} $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()
mivra_split_debug(mivra)
mivra_split_debug(hist)
mivra_split_debug(mivracheck)

# ---- the run-time libraries of the search window -------------------------------------------------
# Their third-party sources come from Debian's source packages (scripts/fetch-sources, which
# scripts/build runs first; a bare configure runs it here when they are missing).
set(MIVRA_THIRD_PARTY ${CMAKE_SOURCE_DIR}/build/third_party CACHE PATH "Unpacked cmigemo and libonig sources")
if(NOT EXISTS ${MIVRA_THIRD_PARTY}/.fetched)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env MIVRA_THIRD_PARTY=${MIVRA_THIRD_PARTY}
                            ${CMAKE_SOURCE_DIR}/scripts/fetch-sources
                    RESULT_VARIABLE fetched)
    if(NOT fetched EQUAL 0)
        message(FATAL_ERROR "scripts/fetch-sources failed: cmigemo and libonig are missing")
    endif()
endif()
# Where the libraries built for the tests only go (not shipped).
set(MIVRA_TEST_LIBS_DIR ${CMAKE_BINARY_DIR}/test-libs)

mivra_map_path(${MIVRA_THIRD_PARTY} mivra/build/third_party ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/onig)

# Oniguruma as a static library inside BREGEXP.DLL.
set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
set(BUILD_SHARED_LIBS OFF)
set(INSTALL_DOCUMENTATION OFF)
add_subdirectory(${MIVRA_THIRD_PARTY}/onig ${CMAKE_BINARY_DIR}/onig EXCLUDE_FROM_ALL)

add_library(bregexp SHARED src/bregexp/bregexp.cpp src/bregexp/bregexp.def)
target_include_directories(bregexp PRIVATE src)
target_compile_options(bregexp PRIVATE ${MIVRA_WARNINGS} -fno-exceptions -fno-rtti)
target_link_libraries(bregexp PRIVATE onig)
set_target_properties(bregexp PROPERTIES PREFIX "" OUTPUT_NAME BREGEXP SUFFIX .DLL
    RUNTIME_OUTPUT_DIRECTORY ${MIVRA_DIST_DIR})
mivra_split_debug(bregexp)

# C/Migemo as its source package has it (the library's sources, its .def for the plain export
# names). MinGW builds export cdecl functions; MSVC builds export stdcall ones under the same names,
# so a second build with stdcall exports lets the tests call both kinds. migemo.h gives __stdcall
# unless __MINGW32__ is defined: reading it first with that macro hidden gives the MSVC build's exports
# and leaves everything else as it is (-mrtd would also turn the MinGW headers' declarations that
# lack __cdecl, strncpy among them, into stdcall and unbalance the stack).
file(GLOB MIVRA_MIGEMO_SOURCES ${MIVRA_THIRD_PARTY}/cmigemo/src/*.c)
list(FILTER MIVRA_MIGEMO_SOURCES EXCLUDE REGEX "/main\\.c$")
add_library(migemo SHARED ${MIVRA_MIGEMO_SOURCES} ${MIVRA_THIRD_PARTY}/cmigemo/src/migemo.def)
set_target_properties(migemo PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${MIVRA_DIST_DIR})
mivra_split_debug(migemo)
add_library(migemo_stdcall SHARED ${MIVRA_MIGEMO_SOURCES} ${MIVRA_THIRD_PARTY}/cmigemo/src/migemo.def)
file(WRITE ${CMAKE_BINARY_DIR}/migemo_stdcall.h "#undef __MINGW32__\n#include \"migemo.h\"\n#define __MINGW32__ 1\n")
target_include_directories(migemo_stdcall PRIVATE ${MIVRA_THIRD_PARTY}/cmigemo/src)
target_compile_options(migemo_stdcall PRIVATE -include ${CMAKE_BINARY_DIR}/migemo_stdcall.h)
target_link_options(migemo_stdcall PRIVATE -Wl,--kill-at,--enable-stdcall-fixup)
set_target_properties(migemo_stdcall PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${MIVRA_TEST_LIBS_DIR})

# The cp932 dictionary with its conversion tables, as Debian's cmigemo, skkdic and nkf install it.
set(MIVRA_MIGEMO_DICT_DIR /usr/share/cmigemo/cp932 CACHE PATH "The cp932 C/Migemo dictionary folder")
if(NOT EXISTS ${MIVRA_MIGEMO_DICT_DIR}/migemo-dict)
    message(FATAL_ERROR "${MIVRA_MIGEMO_DICT_DIR}/migemo-dict is missing: run scripts/install-deps")
endif()
file(GLOB MIVRA_MIGEMO_DICT_FILES ${MIVRA_MIGEMO_DICT_DIR}/*)
set(MIVRA_DICT_OUTPUTS)
foreach(file ${MIVRA_MIGEMO_DICT_FILES})
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${MIVRA_DIST_DIR}/dict/${name}
        COMMAND ${CMAKE_COMMAND} -E copy ${file} ${MIVRA_DIST_DIR}/dict/${name}
        DEPENDS ${file}
        VERBATIM)
    list(APPEND MIVRA_DICT_OUTPUTS ${MIVRA_DIST_DIR}/dict/${name})
endforeach()
add_custom_target(mivra_dict ALL DEPENDS ${MIVRA_DICT_OUTPUTS})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
    enable_testing()
    add_subdirectory(tests/e2e)
endif()

# The sample data file, the sample text file it lists and the manual are kept in UTF-8 with LF here
# and shipped in Shift-JIS with CR LF.
find_program(MIVRA_ICONV iconv REQUIRED)
set(MIVRA_PACKAGE_OUTPUTS)
foreach(name Mivra.ini Mivra.txt sample.txt)
    add_custom_command(OUTPUT ${MIVRA_DIST_DIR}/${name}
        COMMAND sh -c "${MIVRA_ICONV} -f UTF-8 -t CP932 \"$1\" | sed 's/$/\\r/' > \"$2\""
                   mivra-package ${CMAKE_SOURCE_DIR}/package/${name} ${MIVRA_DIST_DIR}/${name}
        DEPENDS ${CMAKE_SOURCE_DIR}/package/${name}
        VERBATIM)
    list(APPEND MIVRA_PACKAGE_OUTPUTS ${MIVRA_DIST_DIR}/${name})
endforeach()
add_custom_target(mivra_package ALL DEPENDS ${MIVRA_PACKAGE_OUTPUTS})

# NOTICES.txt: Mivra's licence and each bundled component's version, source and licence, written from
# Debian's copyright files of the packages this build takes them from (scripts/notices).
add_custom_command(OUTPUT ${MIVRA_DIST_DIR}/NOTICES.txt
    COMMAND ${CMAKE_COMMAND} -E env MIVRA_THIRD_PARTY=${MIVRA_THIRD_PARTY}
            ${CMAKE_SOURCE_DIR}/scripts/notices write ${MIVRA_DIST_DIR}/NOTICES.txt
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/notices ${CMAKE_SOURCE_DIR}/LICENSE
            ${MIVRA_THIRD_PARTY}/cmigemo/debian/copyright ${MIVRA_THIRD_PARTY}/onig/debian/copyright
            /usr/share/doc/skkdic/copyright /usr/share/doc/gcc-mingw-w64-base/copyright
            /usr/share/doc/mingw-w64-common/copyright
    VERBATIM)
add_custom_target(mivra_notices ALL DEPENDS ${MIVRA_DIST_DIR}/NOTICES.txt)

# Everything dist holds, without the tests: what scripts/test builds a second time to compare.
add_custom_target(mivra_dist DEPENDS mivra hist mivracheck bregexp migemo mivra_dict mivra_package mivra_notices)

# The drivers of scripts/demo (demo/) and scripts/bench startup (bench/), built on the end-to-end
# tests' support code; the bench times mivra.exe's start against a bare popup program.
function(mivra_support_driver name source)
    add_executable(${name} ${source} tests/e2e/e2e_support.cpp)
    target_include_directories(${name} PRIVATE tests/e2e)
    target_compile_options(${name} PRIVATE ${MIVRA_CHARSET_FLAGS} ${MIVRA_WARNINGS})
    target_compile_definitions(${name} PRIVATE MIVRA_EXE_PATH="${MIVRA_DIST_DIR}/mivra.exe" E2E_TARGET_PATH="")
    target_link_libraries(${name} e2e_gtest user32 gdi32 advapi32)
endfunction()
if(TARGET e2e_gtest)
    mivra_support_driver(demo_driver demo/driver.cpp)
    mivra_support_driver(startup_driver bench/startup_driver_win32.cpp)
endif()
add_executable(bare_popup WIN32 bench/bare_popup_win32.cpp)
target_compile_options(bare_popup PRIVATE ${MIVRA_WARNINGS})
target_link_libraries(bare_popup user32)
