# Installation where the Filesystem Hierarchy Standard says (prefix
# /usr/local by default, /usr in the Debian package) and the package itself:
#   cmake --install build [--prefix DIR]     (DESTDIR= for a staging tree)
#   cmake --build build --target package     (build/plovix_<version>_amd64.deb)
# Every picture and translation of the program is embedded in it, so the
# executable is all of the program; the rest is what the desktop needs.
include(GNUInstallDirs)

set(PLOVIX_APP_ID cn.dravona.plovix)
set(PLOVIX_RELEASE_DATE "2026-12-10" CACHE STRING "Date of this release, for the AppStream metainfo")
# The drawing is 64 units wide: each size with its factor.
set(PLOVIX_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(PLOVIX_ICON_FACTORS 0.25 0.34375 0.375 0.5 0.75 1 2 4 8)
set(PLOVIX_ICON_SVG ${CMAKE_SOURCE_DIR}/resource/others/dravona.ico.svg)

install(TARGETS plovix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${PLOVIX_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${PLOVIX_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/packaging/${PLOVIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${PLOVIX_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The application icon, rendered from the same drawing as the window icon at
# every hicolor size, and the drawing itself.
set(icon_args "")
set(icon_outputs "")
foreach(size factor IN ZIP_LISTS PLOVIX_ICON_SIZES PLOVIX_ICON_FACTORS)
  set(out ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/${PLOVIX_APP_ID}.png)
  list(APPEND icon_args ${out} ${factor})
  list(APPEND icon_outputs ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_command(OUTPUT ${icon_outputs}
  COMMAND plovix_svgrender ${PLOVIX_ICON_SVG} ${icon_args}
  DEPENDS plovix_svgrender ${PLOVIX_ICON_SVG} VERBATIM)
add_custom_target(plovix_icons ALL DEPENDS ${icon_outputs})
install(FILES ${PLOVIX_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${PLOVIX_APP_ID}.svg)

# The package's documents: the copyright and, as a native package, its
# changelog, compressed as Debian policy asks.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog)
string(CONCAT changelog_text
  "plovix (${PROJECT_VERSION}) stable; urgency=medium\n\n"
  "  * Installed like a Linux desktop program: menu entry, icons, package.\n\n"
  " -- Dravona <support@dravona.cn>  Thu, 10 Dec 2026 12:00:00 +0000\n")
file(CONFIGURE OUTPUT ${changelog} CONTENT "${changelog_text}")
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND gzip -9nf -k ${changelog}
  DEPENDS ${changelog} VERBATIM)
add_custom_target(plovix_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/plovix)

# The Debian package. dpkg-shlibdeps names the libraries the executable links;
# the ones it opens when first needed (libmpv, FFmpeg, GStreamer) and the
# plugins and data it loads by name are named here, for Debian 12.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plovix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Dravona <support@dravona.cn>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client of the Dravona online classroom")
set(CPACK_PACKAGE_DESCRIPTION
  "Teachers and students log in to their school, browse their class sessions\n"
  "and enter a class room for a live lesson: video, a shared whiteboard over\n"
  "course pages, chat, lesson marks, and a media player that follows the\n"
  "teacher's play and seek.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PLOVIX_COURSE_SITE_HOST})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
  # Opened when first needed.
  libmpv2 libavformat59 libavfilter8 libavutil57
  libgstreamer1.0-0 libgstreamer-plugins-base1.0-0 libgstreamer-plugins-bad1.0-0
  # GStreamer elements made by name: webrtcbin, VP8, Opus, level (good, bad,
  # base), ICE (nice), the X and OpenGL sinks, PulseAudio and ALSA devices,
  # and the recorder's AAC encoder (voaacenc, in bad).
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-nice
  gstreamer1.0-x gstreamer1.0-gl gstreamer1.0-pulseaudio gstreamer1.0-alsa
  # Qt plugins loaded by name: the camera and sound devices, the player's
  # history database, the pictures drawn as SVG.
  libqt5multimedia5-plugins libqt5sql5-sqlite libqt5svg5
  # The CJK font every text is drawn in, and Qt's own translations.
  fonts-noto-cjk qttranslations5-l10n)
# Only the client goes in: the tests, the benchmarks, the local service and
# its media server install nothing.
include(CPack)
