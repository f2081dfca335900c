# Shared build rules. Sources are picked up by folder, so a new file needs no
# edit here; re-run CMake (the glob re-checks itself on every build).

# GCC 12 reports false overlaps in inlined string concatenation at -O2/-O3
# (-Wrestrict); that one check is left out so optimised builds stay clean.
set(TG_WARNINGS -Wall -Wextra -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Werror $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)

function(tg_defaults target)
  target_compile_options(${target} PRIVATE ${TG_WARNINGS})
endfunction()

# tg_library(<target> <folder> [EXCLUDE <regex>] DEPS <libs...> [PRIVATE_DEPS <libs...>])
# Every .cpp under <folder> (recursively, less the paths EXCLUDE matches)
# becomes part of the static library. DEPS are what its headers need;
# PRIVATE_DEPS what only its sources use (their include folders stay with
# this target, so Qt never reaches a library that does not name it).
function(tg_library name dir)
  cmake_parse_arguments(ARG "" "EXCLUDE" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.h
       ${PROJECT_SOURCE_DIR}/${dir}/*.qrc)
  list(FILTER srcs INCLUDE REGEX "\\.(cpp|qrc)$|\\.h$")
  if(ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  set(has_cpp FALSE)
  foreach(s ${srcs})
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    tg_defaults(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
  endif()
endfunction()

# tg_test_dir(<target> <folder> DEPS <libs...>)
# One GoogleTest program per test folder, registered test by test with CTest.
function(tg_test_dir name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tg_test_support GTest::gtest GTest::gmock Qt6::Test)
  target_compile_definitions(${name} PRIVATE TG_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  tg_defaults(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy")
endfunction()

# The name the dynamic loader opens a library by (its SONAME), read from the
# file the library's pkg-config entry links; `fallback` when it cannot be read.
function(tg_shared_library_name var stem link_libraries fallback)
  set(name "${fallback}")
  foreach(lib IN LISTS link_libraries)
    if(lib MATCHES "lib${stem}\\.so")
      execute_process(COMMAND objdump -p "${lib}" OUTPUT_VARIABLE dump ERROR_QUIET)
      if(dump MATCHES "SONAME +([^ \n]+)")
        set(name "${CMAKE_MATCH_1}")
      endif()
    endif()
  endforeach()
  set(${var} "${name}" PARENT_SCOPE)
endfunction()

# tg_check_no_qt(<targets...>)
# Fails the configuration when a Qt target is in the link closure of one of
# the given libraries (their LINK_LIBRARIES and INTERFACE_LINK_LIBRARIES,
# followed down through every target they name, private ones included). The
# message names the library and the chain that reaches Qt. Call it after
# every target is defined.
function(tg_check_no_qt)
  foreach(root ${ARGN})
    if(NOT TARGET ${root})
      message(FATAL_ERROR "tg_check_no_qt: ${root} is not a target")
    endif()
    set(visited "")
    set(stack "${root}")
    string(MAKE_C_IDENTIFIER "chain_${root}" key)
    set(${key} "${root}")
    while(stack)
      list(POP_BACK stack current)
      list(APPEND visited ${current})
      string(MAKE_C_IDENTIFIER "chain_${current}" key)
      set(chain "${${key}}")
      get_target_property(aliased ${current} ALIASED_TARGET)
      if(aliased)
        set(current_real ${aliased})
      else()
        set(current_real ${current})
      endif()
      get_target_property(type ${current_real} TYPE)
      set(links "")
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(own ${current_real} LINK_LIBRARIES)
        if(own)
          list(APPEND links ${own})
        endif()
      endif()
      get_target_property(iface ${current_real} INTERFACE_LINK_LIBRARIES)
      if(iface)
        list(APPEND links ${iface})
      endif()
      foreach(item ${links})
        # Private links of a static library reach its users as
        # $<LINK_ONLY:name>; other generator expressions are searched whole.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
        if(item MATCHES "(^|[^A-Za-z0-9_])Qt6?::")
          message(FATAL_ERROR "The library ${root} must link no Qt, but it pulls in ${item} "
                              "through ${chain} -> ${item}. What needs Qt belongs in platform, "
                              "engine_qt or the tools.")
        endif()
        if(TARGET ${item} AND NOT item IN_LIST visited AND NOT item IN_LIST stack)
          string(MAKE_C_IDENTIFIER "chain_${item}" item_key)
          set(${item_key} "${chain} -> ${item}")
          list(APPEND stack ${item})
        endif()
      endforeach()
    endwhile()
  endforeach()
endfunction()
