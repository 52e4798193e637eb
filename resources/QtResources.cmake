# The GUI's resource data, compiled in with Qt's resource system under the paths it has here
# (":/layouts/1100.json", ":/menus/128.json", ":/device/kvx-device.svg", ...). Programs that
# show the editor's windows link kvx::ui_resources.
set(_kvx_resource_dir ${CMAKE_CURRENT_LIST_DIR})
file(GLOB_RECURSE _kvx_ui_resources CONFIGURE_DEPENDS
  ${_kvx_resource_dir}/layouts/*.json
  ${_kvx_resource_dir}/menus/*.json
  ${_kvx_resource_dir}/traits/*.json
  ${_kvx_resource_dir}/cursors/*
  ${_kvx_resource_dir}/device/*.svg)
add_library(kvx_ui_resources OBJECT)
add_library(kvx::ui_resources ALIAS kvx_ui_resources)
qt_add_resources(kvx_ui_resources "kvx_ui_resources"
  PREFIX "/" BASE ${_kvx_resource_dir} FILES ${_kvx_ui_resources})

# The device drawing is shown as soon as the editor starts: it also goes in rendered at build
# time, at pixel ratios 1 and 2 (":/device/kvx-device@1x.kvxpic", "@2x.kvxpic"), which
# LPicture draws instead of rendering the SVG. Stored uncompressed: they are read in place.
file(GLOB _kvx_prerendered_drawings CONFIGURE_DEPENDS ${_kvx_resource_dir}/device/*.svg)
set(_kvx_prerendered_dir ${CMAKE_CURRENT_BINARY_DIR}/prerendered)
set(_kvx_prerendered)
foreach(_drawing IN LISTS _kvx_prerendered_drawings)
  get_filename_component(_name ${_drawing} NAME_WE)
  foreach(_scale 1 2)
    set(_picture ${_kvx_prerendered_dir}/device/${_name}@${_scale}x.kvxpic)
    add_custom_command(OUTPUT ${_picture}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_kvx_prerendered_dir}/device
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              $<TARGET_FILE:kvx-render-picture> ${_drawing} ${_scale} ${_picture}
      DEPENDS kvx-render-picture ${_drawing}
      COMMENT "Rendering ${_name}.svg at ${_scale}x"
      VERBATIM)
    list(APPEND _kvx_prerendered ${_picture})
  endforeach()
endforeach()
qt_add_resources(kvx_ui_resources "kvx_ui_prerendered" OPTIONS --no-compress
  PREFIX "/" BASE ${_kvx_prerendered_dir} FILES ${_kvx_prerendered})
