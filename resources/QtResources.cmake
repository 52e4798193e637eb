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
