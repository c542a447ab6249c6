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
    list(APPEND env "ASAN_OPTIONS=detect_leaks=0" "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${env}"
    # The user's XDG folders would lead the tests out of their own HOME.
    ENVIRONMENT_MODIFICATION "XDG_CONFIG_HOME=unset:;XDG_DATA_HOME=unset:"
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

# velmoran_drop_under(<list var> <folder>...): removes the paths that lie under one of the folders.
function(velmoran_drop_under var)
  set(kept "")
  foreach(path ${${var}})
    set(keep TRUE)
    foreach(dir ${ARGN})
      string(FIND "${path}" "${dir}/" at)
      if(at EQUAL 0)
        set(keep FALSE)
      endif()
    endforeach()
    if(keep)
      list(APPEND kept ${path})
    endif()
  endforeach()
  set(${var} ${kept} PARENT_SCOPE)
endfunction()

# velmoran_own_subfolders(<var> <folder>): subfolders of <folder> with a CMakeLists.txt of their own.
function(velmoran_own_subfolders var folder)
  file(GLOB_RECURSE listfiles CONFIGURE_DEPENDS ${folder}/*/CMakeLists.txt)
  set(subs "")
  foreach(listfile ${listfiles})
    get_filename_component(sub ${listfile} DIRECTORY)
    file(RELATIVE_PATH sub ${folder} ${sub})
    list(APPEND subs ${sub})
  endforeach()
  set(${var} ${subs} PARENT_SCOPE)
endfunction()

# velmoran_sources(<var> <folder> [EXCLUDE subfolder-or-file...])
# Every .cpp and .h below <folder>, except in subfolders that have a CMakeLists.txt
# of their own (a library or program of their own) and the subfolders and files named.
function(velmoran_sources var folder)
  cmake_parse_arguments(S "" "" "EXCLUDE" ${ARGN})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  velmoran_own_subfolders(own ${folder})
  set(skip "")
  foreach(sub ${own} ${S_EXCLUDE})
    if(IS_DIRECTORY ${folder}/${sub})
      list(APPEND skip ${folder}/${sub})
    else()
      list(REMOVE_ITEM files ${folder}/${sub})
    endif()
  endforeach()
  velmoran_drop_under(files ${skip})
  list(SORT files)
  set(${var} ${files} PARENT_SCOPE)
endfunction()

# velmoran_moc_follows_sources(<target>)
# With Ninja, AUTOMOC re-runs only when a file it depended on last time changes, so
# a header that joins the source list at a re-glob would never be moc'ed. Those files
# include the list files of the target's folder: the source list is written to one
# that changes exactly when the list does, and included here.
function(velmoran_moc_follows_sources target)
  get_target_property(sources ${target} SOURCES)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.cmake)
  string(REPLACE ";" "\n# " content "${sources}")
  file(CONFIGURE OUTPUT ${stamp} CONTENT "# Sources of ${target}, written by velmoran_moc_follows_sources.\n# ${content}\n" @ONLY)
  include(${stamp})
endfunction()

# velmoran_install(<target>): a part of the installed program. The program's folder
# (VELMORAN_INSTALL_DIR) mirrors the build's bin/ and lib/, and the target goes where
# it is built; its RUNPATH leads from its own place to lib/, the same in both trees,
# so the build already links it that way, the install only copies, and the folder
# works wherever it is copied to.
function(velmoran_install target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    get_target_property(built ${target} RUNTIME_OUTPUT_DIRECTORY)
  else()
    get_target_property(built ${target} LIBRARY_OUTPUT_DIRECTORY)
  endif()
  file(RELATIVE_PATH folder ${CMAKE_BINARY_DIR} ${built})
  file(RELATIVE_PATH to_lib ${built} ${CMAKE_BINARY_DIR}/lib)
  set(rpath "$ORIGIN")
  if(to_lib)
    string(APPEND rpath "/${to_lib}")
  endif()
  set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "${rpath}")
  install(TARGETS ${target}
          RUNTIME DESTINATION ${VELMORAN_INSTALL_DIR}/${folder} COMPONENT velmoran
          LIBRARY DESTINATION ${VELMORAN_INSTALL_DIR}/${folder} COMPONENT velmoran)
endfunction()

# velmoran_library(<target> SHARED|STATIC|OBJECT [NO_QT] [EXCLUDE subfolder-or-file...]
#                  [SOURCES extra...] [PUBLIC libs...] [PRIVATE libs...])
# A library made from the current folder: its sources below it (velmoran_sources)
# and its Designer forms in forms/<folder>/, <folder> being the folder's path from
# the top (forms/shell, forms/chart/indicators). The folder and its subfolders with
# headers are public include directories, so a header keeps its plain include name
# when it moves into a subfolder. A SHARED library is part of the installed program.
function(velmoran_library target kind)
  cmake_parse_arguments(L "NO_QT" "" "EXCLUDE;SOURCES;PUBLIC;PRIVATE" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  velmoran_sources(sources ${folder} EXCLUDE ${L_EXCLUDE})

  file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${folder})
  set(forms_folder ${CMAKE_SOURCE_DIR}/forms/${relative})
  set(forms "")
  set(form_dirs "")
  if(NOT L_NO_QT)
    file(GLOB_RECURSE forms CONFIGURE_DEPENDS ${forms_folder}/*.ui)
    # Forms of a library in a subfolder (forms/chart/indicators) are that library's.
    velmoran_own_subfolders(own ${folder})
    set(skip "")
    foreach(sub ${own})
      list(APPEND skip ${forms_folder}/${sub})
    endforeach()
    velmoran_drop_under(forms ${skip})
    foreach(form ${forms})
      get_filename_component(dir ${form} DIRECTORY)
      list(APPEND form_dirs ${dir})
    endforeach()
    list(REMOVE_DUPLICATES form_dirs)
  endif()

  # Layers point one way: a library links only libraries whose folders come before its own.
  foreach(lib ${L_PUBLIC} ${L_PRIVATE})
    if(lib MATCHES "^velmoran_" AND NOT TARGET ${lib})
      message(FATAL_ERROR "${target} links ${lib}, which is not defined before it: "
                          "a library may link only those of folders listed before its own")
    endif()
  endforeach()

  add_library(${target} ${kind} ${sources} ${forms} ${L_SOURCES})
  set(include_dirs ${folder})
  foreach(file ${sources})
    if(file MATCHES "\\.h$")
      get_filename_component(dir ${file} DIRECTORY)
      list(APPEND include_dirs ${dir})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES include_dirs)
  target_include_directories(${target} PUBLIC ${include_dirs})
  if(L_PUBLIC)
    target_link_libraries(${target} PUBLIC ${L_PUBLIC})
  endif()
  if(L_PRIVATE)
    target_link_libraries(${target} PRIVATE ${L_PRIVATE})
  endif()
  if(kind STREQUAL "SHARED")
    velmoran_install(${target})
  endif()
  if(L_NO_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  else()
    set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS "${form_dirs}")
    velmoran_moc_follows_sources(${target})
  endif()
endfunction()
