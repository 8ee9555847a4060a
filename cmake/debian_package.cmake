# The Debian package (cpack -G DEB): what the installation holds, with the
# shared libraries' packages found by dpkg-shlibdeps and the packages the
# viewer loads at run time without linking them.
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrel developers")
set(CPACK_PACKAGE_CONTACT "Kestrel developers <kestrel@kestrel-viewer.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for drive recorder movies and their sensor data")
set(CPACK_PACKAGE_INSTALL_DIRECTORY kestrel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrel-viewer.org/)
# The summary above is the package's synopsis, this its long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Kestrel lists the recordings of a drive recorder's memory card, of a folder
or of one file and plays them with their sound, beside an information panel,
a G-sensor graph with the event marks, a map of the route and the vehicle
meters. It takes snapshots, joins recordings losslessly and exports a CSV
list of them.

The package also holds kestrel-cli, the same reading, listing and joining
for scripts.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, not linked: the GStreamer elements that play the
# recorder's H.264 and AAC in QuickTime, the web engine's helper process and
# the Japanese user-interface font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav, libqt6webenginecore6-bin, fonts-noto-cjk")
# Qt's own dialogs in Japanese; without it they stay in English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)
