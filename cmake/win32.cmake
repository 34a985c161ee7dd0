# The win32 build: what ships in build/win32/dist, and the end-to-end tests run under Wine.
set(MIVRA_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${MIVRA_DIST_DIR})

file(GLOB MIVRA_WIN32_SOURCES CONFIGURE_DEPENDS src/*/*_win32.cpp src/os/win32/*.cpp)
add_executable(mivra WIN32 ${MIVRA_WIN32_SOURCES} src/resources/mivra.rc)
target_include_directories(mivra PRIVATE src)
target_compile_options(mivra PRIVATE ${MIVRA_CHARSET_FLAGS} ${MIVRA_WARNINGS})
target_link_libraries(mivra mivra_logic shlwapi shell32 user32 gdi32 kernel32)
set_target_properties(mivra PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MIVRA_DIST_DIR})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
    enable_testing()
    add_subdirectory(tests/e2e)
endif()

# The sample data file and the manual are kept in UTF-8 with LF here and shipped in Shift-JIS with
# CR LF.
find_program(MIVRA_ICONV iconv REQUIRED)
set(MIVRA_PACKAGE_OUTPUTS)
foreach(name Mivra.ini Mivra.txt)
    add_custom_command(OUTPUT ${MIVRA_DIST_DIR}/${name}
        COMMAND sh -c "${MIVRA_ICONV} -f UTF-8 -t CP932 \"$1\" | sed 's/$/\\r/' > \"$2\""
                   mivra-package ${CMAKE_SOURCE_DIR}/package/${name} ${MIVRA_DIST_DIR}/${name}
        DEPENDS ${CMAKE_SOURCE_DIR}/package/${name}
        VERBATIM)
    list(APPEND MIVRA_PACKAGE_OUTPUTS ${MIVRA_DIST_DIR}/${name})
endforeach()
add_custom_target(mivra_package ALL DEPENDS ${MIVRA_PACKAGE_OUTPUTS})

# The driver of scripts/demo (demo/), built on the end-to-end bench's support code.
if(TARGET e2e_gtest)
    add_executable(demo_driver demo/driver.cpp tests/e2e/e2e_support.cpp)
    target_include_directories(demo_driver PRIVATE tests/e2e)
    target_compile_options(demo_driver PRIVATE ${MIVRA_CHARSET_FLAGS} ${MIVRA_WARNINGS})
    target_compile_definitions(demo_driver PRIVATE MIVRA_EXE_PATH="${MIVRA_DIST_DIR}/mivra.exe" E2E_TARGET_PATH="")
    target_link_libraries(demo_driver e2e_gtest user32 gdi32 advapi32)
endif()
