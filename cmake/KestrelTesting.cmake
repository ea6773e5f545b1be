include(GoogleTest)
find_package(GTest REQUIRED)

# Every test runs inside its own sandbox: the log, the project store, the address book and the
# XDG folders all point below the build tree, so no test ever touches the user's real files.
function(kestrel_test_environment test_name out_var)
  set(box ${CMAKE_BINARY_DIR}/test-sandbox/${test_name})
  file(MAKE_DIRECTORY ${box})
  set(${out_var}
      "QT_QPA_PLATFORM=offscreen"
      "HOME=${box}/home"
      "XDG_CONFIG_HOME=${box}/config"
      "XDG_DATA_HOME=${box}/data"
      "XDG_STATE_HOME=${box}/state"
      "XDG_CACHE_HOME=${box}/cache"
      "KESTREL_LOG_FILE=${box}/kestrel.log"
      "KESTREL_PROJECT_STORE=${box}/projects.db"
      "KESTREL_CONTACTS=${box}/contacts.vcf"
      "KESTREL_LOOKUP_DB=${KESTREL_LOOKUP_DB_FILE}"
      "KESTREL_SDKDEF=${KESTREL_RUNTIME_DIR}/libTernSdkDef.so"
      PARENT_SCOPE)
endfunction()

# Gives the test program `name` a generated TestSandbox.h holding its sandbox's environment
# (kSandboxEnvironment), which the program enters itself before any test runs
# (tests/support/EnterSandbox.h): a test started by hand is as safe as one CTest starts.
function(kestrel_test_sandbox_header name)
  kestrel_test_environment(${name} env)
  set(header_text "// Generated: the sandbox of ${name}.\nstatic const char* const kSandboxEnvironment[] = {\n")
  foreach(assignment ${env})
    string(APPEND header_text "    \"${assignment}\",\n")
  endforeach()
  string(APPEND header_text "    nullptr};\n")
  set(sandbox_dir ${CMAKE_CURRENT_BINARY_DIR}/${name}_sandbox)
  file(WRITE ${sandbox_dir}/TestSandbox.h.in "${header_text}")
  configure_file(${sandbox_dir}/TestSandbox.h.in ${sandbox_dir}/TestSandbox.h COPYONLY)
  target_include_directories(${name} PRIVATE ${sandbox_dir} ${PROJECT_SOURCE_DIR}/tests/support)
endfunction()

# kestrel_add_gtest(NAME SOURCES ... LIBS ...): plain-code tests; each case is its own CTest test.
# The program enters its sandbox in main() (tests/support/SandboxedGTestMain.cpp).
function(kestrel_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/SandboxedGTestMain.cpp)
  kestrel_test_sandbox_header(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  # The sandbox points at the built lookup database and host library: build them first.
  add_dependencies(${name} kestrel_lookup_db TernSdkDef)
  target_compile_definitions(${name} PRIVATE
      KESTREL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
      KESTREL_RUNTIME_DIR="${KESTREL_RUNTIME_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# kestrel_add_qtest(NAME SOURCES ... LIBS ...): widget tests (QtTest), run offscreen. A message
# box or save dialog that no test of the program expects fails that test at once
# (tests/support/UnexpectedBoxFails.cpp) instead of waiting for a click. Like the plain-code
# tests, the program enters its sandbox itself (tests/support/SandboxedQtTest.cpp).
function(kestrel_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/UnexpectedBoxFails.cpp
                 ${PROJECT_SOURCE_DIR}/tests/support/SandboxedQtTest.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kestrel_framework Qt6::Test Qt6::Widgets)
  kestrel_test_sandbox_header(${name})
  add_dependencies(${name} kestrel_lookup_db TernSdkDef)
  target_compile_definitions(${name} PRIVATE
      KESTREL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
      KESTREL_RUNTIME_DIR="${KESTREL_RUNTIME_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
