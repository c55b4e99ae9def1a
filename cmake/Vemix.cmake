# vemix_unit(NAME QT module... [DEPS unit...]): one static library from the .cpp, .h and .ui
# files of src/NAME, linking the Qt modules named (Core, Gui, Widgets, Network) and the units it
# builds on. The rules of the layout are checked here, when the build is configured:
# - a unit builds only on units made before it (the order of VEMIX_UNITS);
# - its sources include headers only of itself and of the units it builds on, directly or
#   through them;
# - it names every Qt module its units link, so a unit that does not link Qt Widgets cannot
#   build on one that does (and, lacking the include paths, cannot use Widgets itself).
function(vemix_unit name)
  cmake_parse_arguments(ARG "" "" "QT;DEPS" ${ARGN})
  if(NOT ARG_QT)
    message(FATAL_ERROR "unit ${name}: name the Qt modules it links (QT Core ...)")
  endif()
  get_property(made GLOBAL PROPERTY VEMIX_MADE_UNITS)
  set(uses ${ARG_DEPS})
  foreach(dep IN LISTS ARG_DEPS)
    if(NOT dep IN_LIST made)
      message(FATAL_ERROR "unit ${name} builds on ${dep}, which is not a unit before it")
    endif()
    get_property(depUses GLOBAL PROPERTY VEMIX_USES_${dep})
    get_property(depQt GLOBAL PROPERTY VEMIX_QT_${dep})
    list(APPEND uses ${depUses})
    foreach(module IN LISTS depQt)
      if(NOT module IN_LIST ARG_QT)
        message(FATAL_ERROR "unit ${name} builds on ${dep}, which links Qt ${module}: "
          "name ${module} in its QT list, or keep it off ${dep}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES uses)

  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  file(GLOB folders LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/*)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.ui$")
      file(STRINGS ${source} lines REGEX "<header>[A-Za-z0-9_]+/")
    else()
      file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
    endif()
    foreach(line IN LISTS lines)
      string(REGEX REPLACE ".*(\"|<header>)([A-Za-z0-9_]+)/.*" "\\2" used "${line}")
      if(used IN_LIST folders AND NOT used STREQUAL name AND NOT used IN_LIST uses)
        message(FATAL_ERROR "${source}: includes ${used}, which unit ${name} does not build on")
      endif()
    endforeach()
  endforeach()

  add_library(${name} STATIC ${sources})
  # Generated form headers (ui_*.h) are part of the unit's interface.
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src
    ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/include)
  list(TRANSFORM ARG_QT PREPEND Qt6:: OUTPUT_VARIABLE qtTargets)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${qtTargets})
  set_property(GLOBAL APPEND PROPERTY VEMIX_MADE_UNITS ${name})
  set_property(GLOBAL PROPERTY VEMIX_USES_${name} ${uses})
  set_property(GLOBAL PROPERTY VEMIX_QT_${name} ${ARG_QT})
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
