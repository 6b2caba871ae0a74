# The windows of the cave build (included by this folder's CMakeLists.txt), built where Qt 6
# Widgets and the cave builder are found.
find_package(Qt6 QUIET COMPONENTS Widgets)
if(TARGET Qt6::Widgets AND TARGET lumora_cavebuilder)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/gui)
endif()
