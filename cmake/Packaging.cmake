# The Debian package, made by CPack from the main build: `cpack -G DEB` in the build folder, or
# scripts/package.sh. It holds what `cmake --install` installs, below /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME channelsettings)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ChannelSettings developers")
set(CPACK_PACKAGE_CONTACT "ChannelSettings developers <maintainer@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "channel list editor for digital satellite receivers")
# The long description; CPack puts the summary above it and indents its lines as a control file
# wants them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ChannelSettings edits the channel database and settings of a digital satellite
receiver: open an image of the receiver's flash memory (a .dsp file), reorder
and rename channels, edit favourite lists, satellites, transponders and
preferences, import .dsx files, edit the receiver's pictures, and save the
image back with fresh checksums. The files are exchanged with the receiver
over a serial cable.

The package holds the desktop editor and channelsettings-cli, a command-line
tool that reads, checks, saves, exports and transfers the same files in
scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/channelsettings")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs and the BMP module link, found by dpkg-shlibdeps; besides them, the
# program's own texts are translated with Qt's, the desktop's file-type and menu caches are
# refreshed by the triggers of shared-mime-info and desktop-file-utils, and `gio` marks the
# desktop launcher the preferences create as trusted.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libglib2.0-bin")
# dpkg-shlibdeps needs to know the module is the package's own, not a library of the system.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Installed with DESTDIR under the final prefix, so the desktop entry's Exec line names
# /usr/bin/channelsettings, and the install step leaves the caches to the package's triggers.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
