# Shared helpers for the build.

# Collect the sources of a folder tree; new files are picked up on the next build.
function(kadu_glob_sources out)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# One GoogleTest executable for a test folder.
#   kadu_add_test_dir(NAME name DIR dir LIBS libs... [SERIAL])
# SERIAL runs the folder's tests one at a time, for tests whose timing on a
# scaled clock suffers when other tests load the machine.
function(kadu_add_test_dir)
  cmake_parse_arguments(T "SERIAL" "NAME;DIR" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${T_DIR}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${T_NAME} ${srcs})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kadu_test_support GTest::gtest GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  set(serial FALSE)
  if(T_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "KADU_SOURCE_DIR=${CMAKE_SOURCE_DIR};KADU_BINARY_DIR=${CMAKE_BINARY_DIR}"
      RUN_SERIAL ${serial}
    DISCOVERY_TIMEOUT 60)
endfunction()

# A fuzz target: a libFuzzer binary under clang (replays its corpus and fuzzes
# briefly as tests), a plain corpus replayer otherwise.
#   kadu_add_fuzzer(NAME name SOURCE file CORPUS dir LIBS libs... [SECONDS n])
function(kadu_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SOURCE;CORPUS;SECONDS" "LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  if(KADU_LIBFUZZER)
    add_executable(${F_NAME} ${F_SOURCE})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_include_directories(${F_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    add_test(NAME ${F_NAME}.corpus COMMAND ${F_NAME} -runs=0 ${F_CORPUS})
    if(KADU_SANITIZE)
      set(work ${CMAKE_BINARY_DIR}/fuzz-work/${F_NAME})
      file(MAKE_DIRECTORY ${work})
      add_test(NAME ${F_NAME}.fuzz
        COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -rss_limit_mb=4096 ${work} ${F_CORPUS}
        WORKING_DIRECTORY ${work})
    endif()
  else()
    add_executable(${F_NAME} ${F_SOURCE} ${CMAKE_SOURCE_DIR}/tests/support/fuzz_replay_main.cpp)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_include_directories(${F_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    add_test(NAME ${F_NAME}.corpus COMMAND ${F_NAME} ${F_CORPUS})
  endif()
endfunction()
