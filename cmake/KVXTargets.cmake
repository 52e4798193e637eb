# Helpers shared by every layer's CMakeLists.

# kvx_layer(NAME DEPS...) builds the static library kvx_NAME (alias kvx::NAME) from every
# .cpp in the calling folder. Sources are globbed so adding a class pair needs no CMake edit.
function(kvx_layer name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(kvx_${name} STATIC ${_sources} ${_headers})
  add_library(kvx::${name} ALIAS kvx_${name})
  target_include_directories(kvx_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kvx_${name} PUBLIC ${ARGN})
  kvx_warnings(kvx_${name})
endfunction()

function(kvx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
