# velmoran_add_test(tst_topic LIBS velmoran_core [SOURCES a.cpp b.cpp])
# One QtTest executable, run by CTest offscreen with a HOME of its own so that
# no test touches the user's configuration folder or another test's files.
function(velmoran_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;SOURCES" ${ARGN})
  if(NOT T_SOURCES)
    set(T_SOURCES ${name}.cpp)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    VELMORAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VELMORAN_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  add_test(NAME ${name} COMMAND ${name})
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${home}/run)
  file(CHMOD ${home}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  get_filename_component(label ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(env "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_RUNTIME_DIR=${home}/run;VELMORAN_PLUGIN_DIR=${VELMORAN_PLUGIN_DIR}")
  if(VELMORAN_ASAN)
    # Qt's offscreen platform plug-in leaks by design at exit; memory errors are still reported.
    list(APPEND env "ASAN_OPTIONS=detect_leaks=0")
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${env}"
    TIMEOUT ${T_TIMEOUT}
    LABELS ${label})
endfunction()

# velmoran_add_bench(bench_topic LIBS ...): a Google Benchmark program, never run by CTest.
function(velmoran_add_bench name)
  cmake_parse_arguments(B "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT B_SOURCES)
    set(B_SOURCES ${name}.cpp)
  endif()
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${B_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
