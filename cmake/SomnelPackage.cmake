# What a user gets, and the install rules that make it.
#
# Windows builds: the release folder of Somnel-<version>-win32.zip (win64 for
# the 64-bit build, which exists only to run the tests where 32-bit code
# cannot start):
#   Somnel.scr, Palvex.dll, Kinetra.dll   the product
#   vrixhost.exe, Tesk32.dll              the stand-in host, beside the plug-ins
#                                         it loads by default
#   tools\                                the builder and the other tools, the
#                                         test player
#   examples\                             the example project and its pictures
#   docs\guide.md                         the user's guide
#   README.txt, THIRD-PARTY-NOTICES.txt
# Native builds: kmvinfo, kmvconvert and picreduce under bin/, each with a man
# page made by help2man from its --help, packed as somnel-tools_<version>_<arch>.deb.

set(CPACK_PACKAGE_NAME Somnel)
set(CPACK_PACKAGE_VENDOR "The Somnel developers")
set(CPACK_PACKAGE_CONTACT "The Somnel developers <somnel@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Screen saver, GIF writer and animated-GIF asset plug-ins, and their tools")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(somnel_arch win32)
  else()
    set(somnel_arch win64)
  endif()
  # install(TARGETS), so that CPack strips them; the plug-ins' import
  # libraries are for nobody.
  install(TARGETS Somnel Palvex Kinetra vrixhost Tesk32
          RUNTIME DESTINATION .
          ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
  install(TARGETS somnel-pack kmvinfo kmvconvert picreduce runprobe previewhost testplayer
          RUNTIME DESTINATION tools)
  install(FILES ${CMAKE_SOURCE_DIR}/examples/project.ini ${CMAKE_SOURCE_DIR}/examples/settings-box.bmp
                ${CMAKE_SOURCE_DIR}/examples/preview.bmp ${CMAKE_SOURCE_DIR}/examples/photo.jpg
          DESTINATION examples)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION docs)
  # Windows line ends, so that Notepad shows them as lines.
  foreach(text README.txt THIRD-PARTY-NOTICES.txt)
    configure_file(${CMAKE_SOURCE_DIR}/dist/${text} ${CMAKE_BINARY_DIR}/dist/${text} @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_BINARY_DIR}/dist/${text} DESTINATION .)
  endforeach()

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Somnel-${PROJECT_VERSION}-${somnel_arch})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  include(GNUInstallDirs)
  set(somnel_native_tools kmvinfo kmvconvert picreduce)
  install(TARGETS ${somnel_native_tools} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Man pages from each tool's own --help and --version, so they cannot drift.
  find_program(SOMNEL_HELP2MAN help2man)
  if(SOMNEL_HELP2MAN)
    set(man_dir ${CMAKE_BINARY_DIR}/man)
    set(man_pages "")
    foreach(tool IN LISTS somnel_native_tools)
      add_custom_command(OUTPUT ${man_dir}/${tool}.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
        COMMAND ${SOMNEL_HELP2MAN} --no-info --section=1 --source=Somnel
                "--name=$<TARGET_PROPERTY:${tool},SOMNEL_DESCRIPTION>"
                --output=${man_dir}/${tool}.1 $<TARGET_FILE:${tool}>
        COMMAND gzip -9nf ${man_dir}/${tool}.1
        DEPENDS ${tool}
        COMMENT "Man page of ${tool} (help2man)"
        VERBATIM)
      list(APPEND man_pages ${man_dir}/${tool}.1.gz)
    endforeach()
    add_custom_target(man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "help2man not found: no man pages (scripts/setup installs it)")
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME somnel-tools)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "KMV movie tools of the Somnel screen saver")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "kmvinfo lists what a KMV movie holds, kmvconvert turns a JPEG or an 8-bit BMP\ninto a one-frame KMV movie, and picreduce reduces a BMP for a palette display\nas the saver does.")
endif()

include(CPack)
