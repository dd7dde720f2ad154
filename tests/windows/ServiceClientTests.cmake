# TavroClient.dll under Wine as a client of the bank's service: the Linux build's
# tavro-bank serve on 127.0.0.1 over a fresh demonstration bank with a throwaway CA
# (service_client_test.sh), the library loaded by name from beside the test program.
# Skipped when there is no Linux build to serve the bank.
add_test(NAME windows.host.service
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/service_client_test.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                 $<TARGET_FILE:windows_host_client_tests> ${TAVRO_LINUX_BIN_DIR})
set_tests_properties(windows.host.service PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120
  ENVIRONMENT "${TAVRO_WINE_ENV};LC_ALL=zh_CN.UTF-8;TAVRO_TEST_LOCALE=zh_CN;GTEST_FILTER=ServiceClientWin32.*")
