# "./dev package": a Debian package of the installed files (program, desktop entry, icons,
# AppStream metainfo, bash completion), made by CPack from the optimised build. Library
# dependencies are found from the binary by dpkg-shlibdeps; the rest are what the program runs
# or loads without linking to it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrine)
set(CPACK_PACKAGE_VENDOR "Kestrine")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keep several dock layouts and switch between them")
set(CPACK_PACKAGE_DESCRIPTION "Kestrine keeps named presets of the dock (ordered lists of applications with an emoji) and switches the dock between them from a settings window, a key panel opened by a global shortcut, or the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrine developers <kestrine@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# killall restarts the file dock; the xcb platform plugin is loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "psmisc, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, fonts-noto-color-emoji, hicolor-icon-theme, bash-completion")
# The package needs the program only; "install" does not build the tests and benchmarks first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
