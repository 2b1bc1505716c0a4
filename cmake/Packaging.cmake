# Linux edition's installed layout and its Debian package (cpack -G DEB).
# The program looks for transl.dt beside its executable (as /proc/self/exe names it, links
# resolved), so both live in one private folder and /usr/bin holds only a link.
include(GNUInstallDirs)

set(QEL_PKG_NAME qel-autoclicker)
set(QEL_PKG_LIBDIR lib/${QEL_PKG_NAME})

if(TARGET qel-autoclicker)
  install(TARGETS qel-autoclicker RUNTIME DESTINATION ${QEL_PKG_LIBDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/data/transl.dt DESTINATION ${QEL_PKG_LIBDIR})
  # A relative link, so the package works wherever its root is unpacked.
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${QEL_PKG_LIBDIR}/qel-autoclicker
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/qel-autoclicker\" SYMBOLIC)")
  install(FILES ${CMAKE_SOURCE_DIR}/data/linux/qel-autoclicker.desktop DESTINATION share/applications)
  # What software centres list (AppStream), and what Debian's policy asks of every package:
  # a manual page for the command, the copyright file and the changelog, compressed.
  install(FILES ${CMAKE_SOURCE_DIR}/data/linux/app.qel_autoclicker.qel_autoclicker.metainfo.xml
          DESTINATION share/metainfo)
  install(FILES ${CMAKE_SOURCE_DIR}/data/linux/copyright DESTINATION share/doc/${QEL_PKG_NAME})
  set(_gz "")
  foreach(doc IN ITEMS "qel-autoclicker.1|man/man1" "changelog|doc/${QEL_PKG_NAME}")
    string(REPLACE "|" ";" doc "${doc}")
    list(GET doc 0 _name)
    list(GET doc 1 _dir)
    set(_out ${CMAKE_BINARY_DIR}/docs-gz/${_name}.gz)
    add_custom_command(OUTPUT ${_out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/docs-gz
      COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${CMAKE_SOURCE_DIR}/data/linux/${_name} ${_out}
      DEPENDS ${CMAKE_SOURCE_DIR}/data/linux/${_name} VERBATIM)
    list(APPEND _gz ${_out})
    install(FILES ${_out} DESTINATION share/${_dir})
  endforeach()
  add_custom_target(qel_package_docs ALL DEPENDS ${_gz})
  install(FILES ${CMAKE_SOURCE_DIR}/data/images/icon.svg DESTINATION share/icons/hicolor/scalable/apps
          RENAME qel-autoclicker.svg)

  # Menus and panels want bitmaps at the usual sizes; drawn from the one drawing at build time.
  find_program(QEL_RSVG_CONVERT rsvg-convert)
  if(QEL_RSVG_CONVERT)
    set(_pngs "")
    foreach(size 16 32 48 64 128 256)
      set(_png ${CMAKE_BINARY_DIR}/icons/${size}/qel-autoclicker.png)
      add_custom_command(OUTPUT ${_png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
        COMMAND ${QEL_RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${CMAKE_SOURCE_DIR}/data/images/icon.svg
        DEPENDS ${CMAKE_SOURCE_DIR}/data/images/icon.svg VERBATIM)
      list(APPEND _pngs ${_png})
      install(FILES ${_png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(qel_icons ALL DEPENDS ${_pngs})
  else()
    message(WARNING "rsvg-convert not found: the package gets only the scalable icon")
  endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QEL_PKG_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_VENDOR "QEL Auto Clicker")
set(CPACK_PACKAGE_CONTACT "QEL Auto Clicker developers <developers@qel-autoclicker.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Auto clicker and mouse macro recorder for X11")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Clicks the mouse at a chosen interval (left, right or middle button;\nsingle, double or hold clicks) at the cursor or at fixed coordinates,\nuntil a count is reached or a global hotkey stops it, and records mouse\nmoves and clicks as macros to play back.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://qel-autoclicker.app")
set(CPACK_STRIP_FILES ON)
include(CPack)
