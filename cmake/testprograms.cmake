# The test programs build lighter than the programs they test: optimised a
# little and with line tables only (enough for a backtrace), and with the
# headers they all include precompiled once per program. This is most of the
# build's time. Applied to every executable that links GoogleTest, wherever
# it is declared.
option(TALLYLINE_TEST_PCH "Precompile the common headers of the test programs" ON)

function(tallyline_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    tallyline_collect_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(tallyline_lighten_test_programs)
  tallyline_collect_targets(${PROJECT_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(libraries ${target} LINK_LIBRARIES)
    if(NOT type STREQUAL "EXECUTABLE" OR NOT libraries MATCHES "GTest::|gtest")
      continue()
    endif()
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O1 -g1>)
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    if(TALLYLINE_TEST_PCH AND count GREATER_EQUAL 3)
      if(libraries MATCHES "Qt6::")
        target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/pch/qt_tests.h)
      else()
        target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/pch/plain_tests.h)
      endif()
    endif()
  endforeach()
endfunction()

tallyline_lighten_test_programs()
