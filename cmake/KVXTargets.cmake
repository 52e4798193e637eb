# Helpers shared by every layer's CMakeLists.

# kvx_layer(NAME [PUBLIC deps...] [PRIVATE deps...]) builds the static library kvx_NAME (alias
# kvx::NAME) from every .cpp in the calling folder. Sources are globbed so adding a class pair
# needs no CMake edit. A dependency is PUBLIC only when the layer's own headers include its
# headers; everything else stays PRIVATE so it does not leak into the users' interface.
function(kvx_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 _kvx "" "" "PUBLIC;PRIVATE")
  if(_kvx_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "kvx_layer(${name}): name each dependency PUBLIC or PRIVATE "
                        "(got ${_kvx_UNPARSED_ARGUMENTS})")
  endif()
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(kvx_${name} STATIC ${_sources} ${_headers})
  add_library(kvx::${name} ALIAS kvx_${name})
  target_include_directories(kvx_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kvx_${name} PUBLIC ${_kvx_PUBLIC} PRIVATE ${_kvx_PRIVATE})
  kvx_warnings(kvx_${name})
  set_property(GLOBAL APPEND PROPERTY KVX_LAYERS kvx_${name})
endfunction()

function(kvx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# The GUI folders: every layer outside them is core and must never reach Qt.
set(KVX_GUI_FOLDERS framework/ui mainwindow dialogs support app)

# True when the layer target was defined in one of the GUI folders (or below one).
function(kvx_is_gui_layer target result)
  get_target_property(_dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH _relative ${PROJECT_SOURCE_DIR}/src ${_dir})
  set(_gui FALSE)
  foreach(_folder IN LISTS KVX_GUI_FOLDERS)
    if(_relative STREQUAL _folder OR _relative MATCHES "^${_folder}/")
      set(_gui TRUE)
    endif()
  endforeach()
  set(${result} ${_gui} PARENT_SCOPE)
endfunction()

# Fails the configuration when Qt appears anywhere in the link interface of a core layer or of
# one of the given core programs, following every target's INTERFACE_LINK_LIBRARIES (private
# dependencies of static libraries included: they are linked into the users all the same).
# Call it after every layer has been added.
function(kvx_check_no_qt_in_interfaces)
  get_property(_layers GLOBAL PROPERTY KVX_LAYERS)
  set(_roots)
  foreach(_layer IN LISTS _layers)
    kvx_is_gui_layer(${_layer} _gui)
    if(NOT _gui)
      list(APPEND _roots ${_layer})
    endif()
  endforeach()
  foreach(_root IN LISTS _roots ARGN)
    kvx_find_qt_below(${_root} _chain)
    if(_chain)
      message(FATAL_ERROR "Qt must stay out of the core, but ${_root} reaches it: ${_chain}\n"
                          "Link Qt only from src/framework/ui and the GUI folders.")
    endif()
  endforeach()
endfunction()

# Sets result to the first chain "root -> ... -> Qt6::X" found below root, or to "".
function(kvx_find_qt_below root result)
  set(_queue ${root})
  set(_paths ${root})
  set(_seen)
  while(_queue)
    list(POP_FRONT _queue _item)
    list(POP_FRONT _paths _path)
    if(_item MATCHES "(^|[^A-Za-z0-9_])(Qt[0-9]*::|libQt[0-9])")
      set(${result} "${_path}" PARENT_SCOPE)
      return()
    endif()
    # $<LINK_ONLY:x>, $<BUILD_INTERFACE:x> and the like name the library last.
    string(REGEX REPLACE "^\\$<[A-Z_]+:(.*)>$" "\\1" _item "${_item}")
    if(NOT TARGET "${_item}" OR "${_item}" IN_LIST _seen)
      continue()
    endif()
    list(APPEND _seen "${_item}")
    get_target_property(_aliased "${_item}" ALIASED_TARGET)
    if(_aliased)
      set(_item ${_aliased})
    endif()
    get_target_property(_type ${_item} TYPE)
    if(_type STREQUAL "EXECUTABLE")
      get_target_property(_deps ${_item} LINK_LIBRARIES)
    else()
      get_target_property(_deps ${_item} INTERFACE_LINK_LIBRARIES)
    endif()
    if(NOT _deps)
      continue()
    endif()
    foreach(_dep IN LISTS _deps)
      list(APPEND _queue "${_dep}")
      list(APPEND _paths "${_path} -> ${_dep}")
    endforeach()
  endwhile()
  set(${result} "" PARENT_SCOPE)
endfunction()
