# Windows test programs run from ctest under Wine, headless, code page 932:
# the x86_64 build under wine64, the i686 build (the one we ship) under the
# 32-bit loader. Each build tree has a prefix of its own architecture.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WINE_LOADER /usr/lib/wine/wine)
  set(WINE_ARCH win32)
else()
  set(WINE_LOADER /usr/lib/wine/wine64)
  set(WINE_ARCH win64)
endif()
set(WINESERVER /usr/lib/wine/wineserver)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)

# Every test that needs Wine carries the label "wine", so that a machine that
# cannot run this build's code can leave exactly those out.
add_test(NAME wine_prefix_start
  COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh start ${WINE_PREFIX} ${WINE_LOADER} ${WINESERVER} ${WINE_ARCH})
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180 LABELS wine)
add_test(NAME wine_prefix_stop
  COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh stop ${WINE_PREFIX} ${WINE_LOADER} ${WINESERVER} ${WINE_ARCH})
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

# 32-bit code may not run on every machine: the probe says so plainly
# before anything tries.
if(WINE_ARCH STREQUAL "win32")
  add_test(NAME wine_probe_i686 COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/probe-i686.sh ${WINE_LOADER})
  set_tests_properties(wine_probe_i686 PROPERTIES FIXTURES_SETUP wine_probe LABELS wine)
  set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_REQUIRED wine_probe)
endif()

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
    TIMEOUT 300 ENVIRONMENT "${T_ENV}" LABELS wine)
endfunction()
