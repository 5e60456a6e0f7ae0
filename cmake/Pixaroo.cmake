# Project-wide compile settings and the helpers every folder uses.

add_library(pixaroo_options INTERFACE)
target_include_directories(pixaroo_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(pixaroo_options INTERFACE -Wall -Wextra -Wpedantic
  -Wno-missing-field-initializers)
if(PIXAROO_WERROR)
  target_compile_options(pixaroo_options INTERFACE -Werror)
endif()

if(PIXAROO_SANITIZE)
  add_compile_options(-fsanitize=${PIXAROO_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${PIXAROO_SANITIZE})
  if(PIXAROO_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

if(PIXAROO_FUZZ)
  # Coverage instrumentation for everything; only fuzz targets link the driver.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# pixaroo_library(name SOURCES ... LIBS ...): a static library of our own code.
function(pixaroo_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC pixaroo_options ${A_LIBS})
endfunction()

# pixaroo_test(name LABELS unit|integration|gui|threads ... SOURCES ... LIBS ...)
# One GoogleTest executable, registered with ctest under its labels. A test
# labelled "threads" also runs in the ThreadSanitizer build; when
# PIXAROO_TEST_LABELS is set only tests carrying one of those labels are built.
function(pixaroo_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  if(PIXAROO_TEST_LABELS)
    set(wanted OFF)
    foreach(l IN LISTS A_LABELS)
      if(l IN_LIST PIXAROO_TEST_LABELS)
        set(wanted ON)
      endif()
    endforeach()
    if(NOT wanted)
      return()
    endif()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE pixaroo_options ${A_LIBS}
    GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}" TIMEOUT ${A_TIMEOUT})
  if("gui" IN_LIST A_LABELS)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
endfunction()

# pixaroo_fuzzer(name SOURCES ... LIBS ...): a libFuzzer target, run briefly by
# ctest (label "fuzz") over its saved corpus plus fresh mutations.
function(pixaroo_fuzzer name)
  cmake_parse_arguments(A "" "SECONDS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE pixaroo_options ${A_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  if(NOT A_SECONDS)
    set(A_SECONDS 20)
  endif()
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/corpus-work/${name})
  set(dirs "'${work}'")
  if(EXISTS ${corpus})
    string(APPEND dirs " '${corpus}'")
  endif()
  add_test(NAME ${name}
    COMMAND sh -c "mkdir -p '${work}' && exec '$<TARGET_FILE:${name}>' -max_total_time=${A_SECONDS} -rss_limit_mb=2048 -timeout=10 ${dirs}")
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt,
# in name order, so that a new layer or test folder needs no edit here.
function(pixaroo_add_subdirs)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
