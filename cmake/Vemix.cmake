# vemix_unit(NAME [DEPS ...]): one static library from the .cpp, .h and .ui files of src/NAME.
function(vemix_unit name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  add_library(${name} STATIC ${sources})
  # Generated form headers (ui_*.h) are part of the unit's interface.
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src
    ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/include)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} Qt6::Core Qt6::Gui Qt6::Widgets)
endfunction()

# vemix_test(NAME [DEPS ...]): one test binary from tests/NAME with the shared test main.
function(vemix_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name}Tests ${sources})
  target_link_libraries(${name}Tests PRIVATE ${ARG_DEPS} VemixTestMain)
  gtest_discover_tests(${name}Tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
