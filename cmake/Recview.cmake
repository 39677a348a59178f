# Helpers shared by the folders' CMakeLists.txt files.

# A program that lives in the program directory and finds the module libraries there.
function(recview_program target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${RECVIEW_BIN_DIR}
    BUILD_RPATH "$ORIGIN")
  target_compile_definitions(${target} PRIVATE RECVIEW_VERSION="${PROJECT_VERSION}")
endfunction()

# A module library (libportcfg.so, ...) in the program directory.
function(recview_module target)
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${RECVIEW_BIN_DIR}
    BUILD_RPATH "$ORIGIN"
    CXX_VISIBILITY_PRESET default)
endfunction()

# recview_test(NAME name SOURCES a.cpp b.cpp LIBS lib... [GUI] [THREADS])
# A GoogleTest executable; every test case becomes a ctest test. The shared
# test main gives each test process a fresh RECVIEW_HOME and a fixed TZ; GUI
# tests also get an offscreen QApplication.
function(recview_test)
  cmake_parse_arguments(T "GUI;THREADS" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE rectest_qtmain ${T_LIBS})
    set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
  else()
    target_link_libraries(${T_NAME} PRIVATE rectest_main ${T_LIBS})
  endif()
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    BUILD_RPATH "${RECVIEW_BIN_DIR}")
  target_compile_definitions(${T_NAME} PRIVATE
    RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}"
    RECVIEW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # THREADS marks the tests of threaded work (label "threads", run by make tsan).
  # One value a property: the discovered tests' properties are passed on as a
  # flat list, so a list value would swallow the properties after it (TZ is
  # fixed by the test environment itself).
  # A sanitizer build runs several times slower: its tests get longer.
  set(timeout 300)
  if(RECVIEW_SANITIZE OR RECVIEW_TSAN)
    set(timeout 900)
  endif()
  if(T_THREADS)
    gtest_discover_tests(${T_NAME}
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT ${timeout} LABELS threads)
  else()
    gtest_discover_tests(${T_NAME}
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT ${timeout})
  endif()
endfunction()

# recview_settings_module(name SETTINGS a.cpp ... WINDOW b.cpp ...)
# A module library in two parts: <name>_settings, a static library without Qt
# (the INI part, for rectool and the download), and the shared module library
# lib<name>.so of the program directory: the settings part whole, exported,
# and the window part (Qt Widgets).
function(recview_settings_module name)
  cmake_parse_arguments(M "" "" "SETTINGS;WINDOW" ${ARGN})
  add_library(${name}_settings STATIC ${M_SETTINGS})
  target_include_directories(${name}_settings PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name}_settings PUBLIC platform)

  add_library(${name} SHARED ${M_WINDOW})
  recview_module(${name})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}_settings>"
    Qt6::Widgets platform)
endfunction()
