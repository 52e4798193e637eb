# The main window's tests run Qt on its offscreen platform (set by the test program itself)
# with the editor's resources; the hot-area table is compared with resources/device.
if(TARGET test_mainwindow)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  target_link_libraries(test_mainwindow PRIVATE kvx::ui_resources Qt6::Test)
  target_compile_definitions(test_mainwindow PRIVATE
    KVX_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/resources")
endif()
