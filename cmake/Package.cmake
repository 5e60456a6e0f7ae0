# The Debian package: `cpack -G DEB` in a build folder (or the `package`
# target) makes pixaroo_<version>_<arch>.deb from the install rules, with
# stripped binaries, dependencies computed from them by dpkg-shlibdeps, the
# menu entry, the icons, the manual page, the AppStream metadata and the
# licence in the copyright file.
include(GNUInstallDirs)

set(PIXAROO_RESOURCES ${PROJECT_SOURCE_DIR}/loader/resources)
set(PIXAROO_METAINFO io.github.pixaroo.Pixaroo.metainfo.xml)
set(PIXAROO_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/pixaroo)

# The manual and the changelog (a native package's: changelog.gz), compressed as Debian keeps them (gzip -9n:
# no name or time stamp, so the same sources give the same bytes).
find_program(PIXAROO_GZIP gzip)
if(PIXAROO_GZIP)
  foreach(pair "pixaroo.1;pixaroo.1.gz" "changelog;changelog.gz")
    list(GET pair 0 source)
    list(GET pair 1 output)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
      COMMAND ${PIXAROO_GZIP} -9nc ${PIXAROO_RESOURCES}/${source} > ${CMAKE_BINARY_DIR}/package/${output}
      DEPENDS ${PIXAROO_RESOURCES}/${source}
      COMMENT "Compressing ${source}")
  endforeach()
  add_custom_target(pixaroo_package_files ALL DEPENDS
    ${CMAKE_BINARY_DIR}/package/pixaroo.1.gz ${CMAKE_BINARY_DIR}/package/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/package/pixaroo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION ${PIXAROO_DOCDIR})
endif()
install(FILES ${PIXAROO_RESOURCES}/${PIXAROO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PIXAROO_RESOURCES}/copyright DESTINATION ${PIXAROO_DOCDIR})
install(FILES ${PIXAROO_RESOURCES}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME pixaroo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixaroo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pixaroo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browse a photo gallery site six photos at a time")
set(CPACK_PACKAGE_DESCRIPTION
  "Pixaroo builds an index of the photos of one gallery website and shows\n\
them six at a time in a window with a Chinese user interface. The photos\n\
are paged with buttons or the keyboard, shown large in a window of their\n\
own, and saved as BMP files from a right-click menu.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Pixaroo developers <pixaroo@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Chinese dialogs and a CJK font make the window readable.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk | fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
