# The Windows package: `cmake --install` and `cpack` (an NSIS installer and a ZIP of the
# same files) for the bank's administrator. The top of the package is what goes into the
# client's program folder, ManageEdit.dll and TavroLang.ini (the module reads the
# language file from beside the running executable); demo/ is the demonstration kit,
# tavro-shell.exe, tavro-bank.exe and TavroClient.dll with the examples. Windows looks
# for a DLL's dependencies beside the executable, not beside the DLL, and the module
# reads its language file there too, so the kit carries its own copy of ManageEdit.dll
# and TavroLang.ini beside tavro-shell.exe: each folder works alone.
#
# The installed binaries are stripped of their debug symbols (the build tree keeps its
# own files whole for the debugger). The installer of the win32 build is the one that
# ships, ManageEdit-<version>-win32.exe; the win64 build makes the same package under a
# name that says it is for tests under Wine only, with a registry key of its own.

set(TAVRO_KIT_DIR demo)

foreach(dir . ${TAVRO_KIT_DIR})
  install(FILES $<TARGET_FILE:ManageEdit> ${CMAKE_BINARY_DIR}/bin/TavroLang.ini
          DESTINATION ${dir})
endforeach()
install(PROGRAMS $<TARGET_FILE:tavro-shell> $<TARGET_FILE:tavro-bank> $<TARGET_FILE:TavroClient>
        DESTINATION ${TAVRO_KIT_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${TAVRO_KIT_DIR}/examples)

# Copied as files, the binaries are stripped here, with the cross build's strip: the
# build machine's own does not know PE files of the other architecture. strip stamps the
# PE header with the time it runs; given the link's own stamp (the COFF header's, after
# the signature at the offset byte 60 holds), the installer and the ZIP, each made by an
# install of its own, hold the same bytes.
install(CODE "set(tavro_strip \"${CMAKE_STRIP}\")\nset(tavro_kit \"${TAVRO_KIT_DIR}\")")
install(CODE [[
  function(tavro_pe_word file offset out)
    file(READ "${file}" hex OFFSET ${offset} LIMIT 4 HEX)
    string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" hex "${hex}")
    math(EXPR value "0x${hex}")
    set(${out} ${value} PARENT_SCOPE)
  endfunction()
  if(CMAKE_INSTALL_DO_STRIP)
    set(tavro_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    file(GLOB tavro_binaries "${tavro_root}/*.dll" "${tavro_root}/${tavro_kit}/*.dll"
         "${tavro_root}/${tavro_kit}/*.exe")
    foreach(binary IN LISTS tavro_binaries)
      tavro_pe_word("${binary}" 60 header)
      math(EXPR stamp_offset "${header} + 8")
      tavro_pe_word("${binary}" ${stamp_offset} stamp)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${stamp}
                              "${tavro_strip}" --strip-unneeded "${binary}"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
]])

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_NAME ManageEdit)
set(CPACK_PACKAGE_VENDOR ManageEdit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "management-editing module of a corporate online-banking client")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ManageEdit)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
set(CPACK_NSIS_DISPLAY_NAME "ManageEdit ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "ManageEdit ${PROJECT_VERSION}")
# The file name and the uninstall entry's key, which the package tests read too (CPack
# leaves its own variables set for the source package).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TAVRO_PACKAGE_FILE_NAME ManageEdit-${PROJECT_VERSION}-win32)
  set(TAVRO_PACKAGE_REGISTRY_KEY ManageEdit)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
  set(tavro_nsis_target x86-unicode)
else()
  set(TAVRO_PACKAGE_FILE_NAME ManageEdit-${PROJECT_VERSION}-win64-wine-test-only)
  set(TAVRO_PACKAGE_REGISTRY_KEY ManageEdit-wine-test-only)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DISPLAY_NAME "${CPACK_NSIS_DISPLAY_NAME} (x86-64, for tests only)")
  set(tavro_nsis_target amd64-unicode)
endif()
set(CPACK_PACKAGE_FILE_NAME ${TAVRO_PACKAGE_FILE_NAME})
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ${TAVRO_PACKAGE_REGISTRY_KEY})
# makensis makes an x86 ANSI installer unless told otherwise: the installer runs on the
# module's architecture (the kernel of a 64-bit test machine may refuse 32-bit programs)
# and takes the folder names the administrator types in Unicode. (cpack splits makensis'
# own arguments at spaces, so the target is set in the script.)
set(CPACK_NSIS_DEFINES "  Target ${tavro_nsis_target}")
include(CPack)
