# The Windows package: zeltlog-<version>-windows-x64.zip (cpack -G ZIP)
# holding zeltlog-cli.exe, zeltlog.exe when the window is built, the README,
# the licence, the PDF record's font and PROJ's database, all in one folder
# of that name.
install(TARGETS zeltlog-cli RUNTIME DESTINATION .)
if(ZELTLOG_BUILD_WINDOW)
  install(TARGETS zeltlog RUNTIME DESTINATION .)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
# The PDF record's font (DejaVu Sans, from Debian's fonts-dejavu-core),
# which the programs find beside themselves, and its licence.
if(ZELTLOG_PDF_FONT_FILES)
  install(FILES ${ZELTLOG_PDF_FONT_FILES} DESTINATION .)
  install(FILES /usr/share/doc/fonts-dejavu-core/copyright DESTINATION . RENAME DejaVuSans-LICENSE.txt)
endif()
# PROJ's database, which GDAL needs for every coordinate system; the
# programs look for it beside themselves.
if(TARGET zeltlog_gis)
  find_file(ZELTLOG_PROJ_DB proj.db PATHS ${ZELTLOG_WINDOWS_LIBRARIES} PATH_SUFFIXES share/proj NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  install(FILES ${ZELTLOG_PROJ_DB} DESTINATION .)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zeltlog)
set(CPACK_PACKAGE_VENDOR "ZELTLOG developers")
set(CPACK_PACKAGE_FILE_NAME zeltlog-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
