# Helpers that keep the logic/windows split visible in the build.
#
# A logic target may link Qt Core at most; a windows target is the only kind
# that may link Qt Widgets. tolvar_check_logic_target fails the configure step
# when a logic target reaches Widgets, so the rule cannot erode silently.

function(tolvar_check_logic_target target)
  get_target_property(libs ${target} LINK_LIBRARIES)
  foreach(lib IN LISTS libs)
    if(lib MATCHES "Widgets" OR lib MATCHES "_windows$")
      message(FATAL_ERROR "logic target ${target} must not link ${lib}")
    endif()
  endforeach()
endfunction()

# Where every test finds the build, the sources and the generated media.
set(TOLVAR_TEST_ENVIRONMENT
  "TOLVAR_BUILD_DIR=${CMAKE_BINARY_DIR}"
  "TOLVAR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
  "TOLVAR_TEST_MEDIA_DIR=${TOLVAR_TEST_MEDIA_DIR}")

# Test binaries live beside the build tree, not in the program folder.
function(tolvar_add_gtest target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} tolvar_test_support GTest::gtest GTest::gtest_main)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  set_tests_properties(${target} PROPERTIES
    ENVIRONMENT "${TOLVAR_TEST_ENVIRONMENT};QT_QPA_PLATFORM=offscreen"
    TIMEOUT 600)
  if(ARG_LABELS)
    set_tests_properties(${target} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# A test that needs a real X server and the accessibility bus: the command
# runs under tests/support/run-on-screen.sh in a session bus of its own.
# Screenshots go to build/artefacts/. Tests on screen take turns.
set(TOLVAR_ARTEFACT_DIR ${CMAKE_BINARY_DIR}/artefacts)
file(MAKE_DIRECTORY ${TOLVAR_ARTEFACT_DIR})
function(tolvar_add_on_screen_test name)
  add_test(NAME ${name}
    COMMAND dbus-run-session -- ${CMAKE_SOURCE_DIR}/tests/support/run-on-screen.sh ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK desktop
    ENVIRONMENT "${TOLVAR_TEST_ENVIRONMENT};QT_QPA_PLATFORM=xcb;QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")
endfunction()
