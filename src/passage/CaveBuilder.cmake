# The cave mesh builder (included by this folder's CMakeLists.txt): plot files into scene meshes
# on the model frame of the program that shows them.
if(TARGET lumora_meshstore)
  add_library(lumora_cavebuilder STATIC
    ${CMAKE_CURRENT_LIST_DIR}/lvcave.cpp
  )
  target_include_directories(lumora_cavebuilder PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(lumora_cavebuilder PUBLIC lumora_passage lumora_meshstore)
  # Tests of the builder compile only where it is linked.
  target_compile_definitions(lumora_cavebuilder INTERFACE LUMORA_HAVE_CAVEBUILDER)
endif()
