# Helpers shared by src/, tests/ and bench/ so that each folder only lists what it adds.

# The sources of one folder of src/, every *.cpp in it (new files are picked up when CMake re-runs).
function(torva_folder_sources out folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# One GoogleTest executable per folder of tests/, registered with CTest.
# Usage: torva_test_folder(model LIBS torva_core [GUI])
function(torva_test_folder folder)
  cmake_parse_arguments(ARG "GUI" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} torva_test_support GTest::gtest GTest::gmock)
  if(ARG_GUI)
    target_link_libraries(${target} PRIVATE torva_gui_test_main)
  else()
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  add_test(NAME ${folder} COMMAND ${target})
  set_tests_properties(${folder} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TORVA_SOURCE_DIR=${PROJECT_SOURCE_DIR};TORVA_BINARY_DIR=${PROJECT_BINARY_DIR}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
