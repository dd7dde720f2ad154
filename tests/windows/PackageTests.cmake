# The package for the administrator (cmake/WindowsPackage.cmake), made by cpack from this
# build: its files and their stripping on Linux (windows.package), then under Wine the
# installer installed silently, one example played from the installed kit against the
# Linux build's headless transcript, and the uninstaller (windows.package.install). The
# second test takes the first's installer, so it runs after it.
set(TAVRO_PACKAGE_TEST_DIR ${CMAKE_BINARY_DIR}/package-test)
add_test(NAME windows.package
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package_test.sh contents ${CMAKE_CPACK_COMMAND}
                 ${CMAKE_BINARY_DIR} ${CMAKE_STRIP} ${CMAKE_OBJDUMP} ${TAVRO_PACKAGE_TEST_DIR}
                 ${TAVRO_PACKAGE_FILE_NAME})
set_tests_properties(windows.package PROPERTIES FIXTURES_SETUP windows_package TIMEOUT 300)
add_test(NAME windows.package.install
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package_test.sh install
                 ${CMAKE_CROSSCOMPILING_EMULATOR} ${TAVRO_PACKAGE_TEST_DIR}
                 ${TAVRO_PACKAGE_FILE_NAME} ${TAVRO_PACKAGE_REGISTRY_KEY}
                 ${TAVRO_LINUX_BIN_DIR} ${CMAKE_SOURCE_DIR} usage-edit.txt)
set_tests_properties(windows.package.install PROPERTIES
  FIXTURES_REQUIRED windows_package SKIP_RETURN_CODE 77 TIMEOUT 300
  ENVIRONMENT "${TAVRO_WINE_ENV};LC_ALL=zh_CN.UTF-8;TAVRO_TEST_LOCALE=zh_CN")
