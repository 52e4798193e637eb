# The editor's tests run the application in the test program on Qt's offscreen platform; one
# test runs kvx-editor under a virtual X server and leaves its screenshot in the build folder.
if(TARGET test_app)
  add_dependencies(test_app kvx-editor kvx_examples)
  target_compile_definitions(test_app PRIVATE
    KVX_EDITOR_PATH="$<TARGET_FILE:kvx-editor>"
    KVX_SCREENSHOT_PATH="${PROJECT_BINARY_DIR}/kvx-editor-screenshot.png"
    KVX_LSAN_SUPPRESSIONS="${CMAKE_CURRENT_SOURCE_DIR}/app/lsan.supp")
  find_package(Qt6 REQUIRED COMPONENTS Test)
  target_link_libraries(test_app PRIVATE Qt6::Test)
  # The application looks for its help page next to the program: here the test program.
  kvx_help_page_next_to(test_app)
endif()
