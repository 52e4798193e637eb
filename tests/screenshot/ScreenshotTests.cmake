# The device picture as an X server shows it, at several window sizes. The program runs itself
# under xvfb-run when it is started without a display.
if(TARGET test_screenshot)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Svg Test)
  target_link_libraries(test_screenshot PRIVATE kvx::ui_resources Qt6::Svg Qt6::Test)
endif()
