# The gallery's pictures of the Win32 platform's windows, and the Traditional-Chinese
# mode on the Win32 dialogs compared with the Linux build's (included from CMakeLists.txt).
# The windows' texts in each system's code page: the same cases in both locales.
add_executable(windows_win32_picture_text_tests win32_window_picture_test.cpp)
target_include_directories(windows_win32_picture_text_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(windows_win32_picture_text_tests PRIVATE tavro_ui_win32 gtest_main)
tavro_wine_test(windows.ui.win32.picture zh_CN windows_win32_picture_text_tests)
tavro_wine_test(windows.ui.win32.text.zh_TW zh_TW windows_win32_picture_text_tests
                --gtest_filter=Win32WideText.*)

# A customer typed in Big5 on a Traditional-Chinese system, saved and opened again, on the
# Win32 dialogs and on the Linux build's headless ones; skipped without a Linux build.
add_test(NAME windows.shell.traditional
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/traditional_test.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                 ${CMAKE_BINARY_DIR}/bin ${TAVRO_LINUX_BIN_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(windows.shell.traditional PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
  ENVIRONMENT "${TAVRO_WINE_ENV};LC_ALL=zh_TW.UTF-8;TAVRO_TEST_LOCALE=zh_TW")
