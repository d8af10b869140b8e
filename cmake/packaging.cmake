# Packages for Windows users, made with CPack in the build tree (`cpack`, or the `package` target):
# a portable ZIP and an NSIS installer, one of each per architecture. Both hold orvanta.exe, the
# README and the licence; the installer adds a Start-menu shortcut and an uninstaller.
if(NOT WIN32)
  return()
endif()

install(TARGETS orvanta RUNTIME DESTINATION . COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . COMPONENT program)
# Windows opens a file by its extension, so the licence gets one.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT program)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ORVANTA_PACKAGE_ARCHITECTURE win64)
  # Debian's makensis carries 64-bit stubs: a 64-bit installer for the 64-bit program, so it
  # lands in the 64-bit Program Files and registry view without any redirection.
  set(CPACK_ORVANTA_NSIS_TARGET amd64-unicode)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
else()
  set(ORVANTA_PACKAGE_ARCHITECTURE win32)
  set(CPACK_ORVANTA_NSIS_TARGET x86-unicode)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
endif()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Orvanta)
set(CPACK_PACKAGE_VENDOR "The Orvanta developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME orvanta-${PROJECT_VERSION}-${ORVANTA_PACKAGE_ARCHITECTURE})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Orvanta)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Orvanta)
set(CPACK_PACKAGE_CHECKSUM SHA256)

# The installer script is the project's own (cmake/nsis/NSIS.template.in): CPack's stock one adds
# PATH pages, sixty languages and registry keys that its uninstaller leaves behind.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_DISPLAY_NAME Orvanta)
set(CPACK_NSIS_PACKAGE_NAME Orvanta)
set(CPACK_NSIS_UNINSTALL_NAME uninstall)
set(CPACK_ORVANTA_ICON ${PROJECT_SOURCE_DIR}/app/resources/orvanta.ico)
set(CPACK_ORVANTA_VERSION_QUAD ${ORVANTA_VERSION_QUAD})
set(CPACK_ORVANTA_COPYRIGHT "Copyright (c) 2026 The Orvanta developers, MIT License")

include(CPack)
