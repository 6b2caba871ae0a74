# The mesh store (included by this folder's CMakeLists.txt): gathers polygons into scene meshes.
if(TARGET lumora_scene)
  add_library(lumora_meshstore STATIC ${CMAKE_CURRENT_LIST_DIR}/MeshStore.cpp)
  target_include_directories(lumora_meshstore PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(lumora_meshstore PUBLIC lumora_scene)
endif()
