# Collect every source below a folder; new files are picked up on the next build.
function(vormant_glob out dir)
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

# Which test programs are built: a regular expression on their names (all by default).
set(VORMANT_TEST_FILTER ".*" CACHE STRING "Regular expression naming the test programs to build")

# One test program per folder under tests/<area>/ (files directly in tests/<area>/
# form test_<area>); every test case is registered in CTest with the area's label.
function(vormant_add_tests area)
  set(_root ${CMAKE_SOURCE_DIR}/tests/${area})
  file(GLOB _top CONFIGURE_DEPENDS ${_root}/*.cpp)
  if(_top AND "test_${area}" MATCHES "${VORMANT_TEST_FILTER}")
    vormant_add_test_program(test_${area} ${area} "${_top}")
  endif()
  file(GLOB _subs LIST_DIRECTORIES true ${_root}/*)
  foreach(_sub ${_subs})
    if(IS_DIRECTORY ${_sub})
      get_filename_component(_name ${_sub} NAME)
      file(GLOB_RECURSE _files CONFIGURE_DEPENDS ${_sub}/*.cpp)
      if(_files AND "test_${area}_${_name}" MATCHES "${VORMANT_TEST_FILTER}")
        vormant_add_test_program(test_${area}_${_name} ${area} "${_files}")
        # A folder may add its own link needs: extra.cmake sees TEST_TARGET.
        if(EXISTS ${_sub}/extra.cmake)
          set(TEST_TARGET test_${area}_${_name})
          include(${_sub}/extra.cmake)
        endif()
      endif()
    endif()
  endforeach()
endfunction()

function(vormant_add_test_program name area files)
  add_executable(${name} ${files})
  target_link_libraries(${name} PRIVATE vormant_game vormant_testsupport GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_options(${name} PRIVATE ${VORMANT_TEST_OPT})
  target_precompile_headers(${name} REUSE_FROM vormant_test_pch)
  target_compile_definitions(${name} PRIVATE
    VORMANT_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VORMANT_GAME_DIR="${VORMANT_GAME_DIR}"
    VORMANT_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${area} TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endfunction()
