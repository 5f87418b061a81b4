# Common target boilerplate: warnings, include root, test environment.

function(lorvane_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(LORVANE_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# lorvane_add_library(<subsystem> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# Creates the static library lorvane_<subsystem>; headers are included as "<subsystem>/File.h".
function(lorvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(lorvane_${name} STATIC ${ARG_SOURCES})
  target_include_directories(lorvane_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(lorvane_${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  target_compile_definitions(lorvane_${name} PUBLIC
    LORVANE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    LORVANE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    LORVANE_VERSION_TEXT="${PROJECT_VERSION}"
    QT_NO_KEYWORDS)
  lorvane_set_warnings(lorvane_${name})
endfunction()

# lorvane_add_test(<name> SOURCES ... LIBS ...)
# One QtTest executable, run headless by CTest.
function(lorvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(tst_${name} ${ARG_SOURCES})
  target_link_libraries(tst_${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_include_directories(tst_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  lorvane_set_warnings(tst_${name})
  add_test(NAME ${name} COMMAND tst_${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LORVANE_REGISTRY=${CMAKE_BINARY_DIR}/test-registry-unused.reg"
    TIMEOUT 300)
endfunction()
