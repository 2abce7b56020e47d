# Sources of a folder, without its tests.
function(rotaryn_sources out dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(FILTER found EXCLUDE REGEX "_test\\.cpp$")
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# One GoogleTest executable for the tests of one folder under tests/.
function(rotaryn_test_folder name dir)
  file(GLOB found CONFIGURE_DEPENDS "${dir}/*_test.cpp")
  if(NOT found)
    return()
  endif()
  add_executable(${name} ${found} ${ARGN})
  target_link_libraries(${name} PRIVATE rotaryn_testsupport GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# A static library of a folder's sources; an interface library while the folder has none yet.
function(rotaryn_library name dir)
  rotaryn_sources(found ${dir})
  if(found)
    add_library(${name} STATIC ${found})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()
