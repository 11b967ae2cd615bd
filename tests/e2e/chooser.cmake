# The folder chooser's in-process test, a 32-bit console program run under Wine.
add_executable(chooser_test ${CMAKE_CURRENT_LIST_DIR}/chooser_test.cpp)
target_link_libraries(chooser_test PRIVATE common_win32)
