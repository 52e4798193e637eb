# The framework's tests run Qt on its offscreen platform (set by the test program itself) with
# layouts and menus of their own (IDs 9000 and up) besides the editor's resources.
if(TARGET test_ui_framework)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Svg Test)
  file(GLOB_RECURSE _kvx_ui_test_resources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/resources/*.json
    ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/resources/*.svg)
  qt_add_resources(test_ui_framework "ui_framework_test_resources" PREFIX "/"
    BASE ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/resources FILES ${_kvx_ui_test_resources})
  # pictures/marked.svg comes prerendered at ratio 1 from another drawing (all green), so that
  # the tests can tell which of the two a picture pane drew.
  set(_kvx_marked ${CMAKE_CURRENT_BINARY_DIR}/ui_framework/prerendered/pictures/marked@1x.kvxpic)
  set(_kvx_green ${CMAKE_CURRENT_SOURCE_DIR}/ui_framework/prerendered/green.svg)
  add_custom_command(OUTPUT ${_kvx_marked}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/ui_framework/prerendered/pictures
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:kvx-render-picture> ${_kvx_green} 1 ${_kvx_marked}
    DEPENDS kvx-render-picture ${_kvx_green}
    VERBATIM)
  qt_add_resources(test_ui_framework "ui_framework_prerendered" PREFIX "/" OPTIONS --no-compress
    BASE ${CMAKE_CURRENT_BINARY_DIR}/ui_framework/prerendered FILES ${_kvx_marked})
  target_link_libraries(test_ui_framework PRIVATE kvx::ui_resources Qt6::Svg Qt6::Test)
endif()
