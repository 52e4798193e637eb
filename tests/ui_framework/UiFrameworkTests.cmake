# The framework's tests run Qt on its offscreen platform (set by the test program itself) with
# layouts and menus of their own (IDs 9000 and up) besides the editor's resources.
if(TARGET test_ui_framework)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  file(GLOB_RECURSE _kvx_ui_test_resources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/resources/*.json
    ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/resources/*.svg)
  qt_add_resources(test_ui_framework "ui_framework_test_resources" PREFIX "/"
    BASE ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/resources FILES ${_kvx_ui_test_resources})
  target_link_libraries(test_ui_framework PRIVATE kvx::ui_resources Qt6::Test)
endif()
