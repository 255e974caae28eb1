# Windows test programs of the x86_64 build run under wine64 from ctest.
find_program(WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
find_program(WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)

add_test(NAME wine_prefix_start
  COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh start ${WINE_PREFIX} ${WINE64} ${WINESERVER})
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
add_test(NAME wine_prefix_stop
  COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh stop ${WINE_PREFIX} ${WINE64} ${WINESERVER})
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine)

# A Unix path as Wine's Z: drive sees it.
function(to_wine_path out unix_path)
  string(REPLACE "/" "\\" p "${unix_path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

# add_wine_test(NAME SOURCES... [LIBS ...] [ENV ...])
# One GoogleTest program per test file, statically linked so that Wine needs
# no MinGW runtime DLLs, with the module's resources linked in.
function(add_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES} $<TARGET_OBJECTS:tavrik_resources>)
  target_link_libraries(${name} PRIVATE tavrik_win32 ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_link_options(${name} PRIVATE -static)
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_RUN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop
    TIMEOUT 300 ENVIRONMENT "${T_ENV}")
endfunction()
