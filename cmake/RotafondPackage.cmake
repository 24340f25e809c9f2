# The Debian package, made by `cpack -G DEB` in a build folder (see
# scripts/build-deb.sh): what `cmake --install` puts under /usr.
set(CPACK_GENERATOR DEB)
# Installing and packing take what is built (the program and its files) and
# do not build the tests and benchmarks first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME rotafond)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Rotafond developers <rotafond@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop wallpaper cycler")
set(CPACK_PACKAGE_DESCRIPTION
    "Rotafond keeps a list of pictures, each with its own display settings, and\n"
    "shows the next one as the desktop wallpaper every interval. It works with\n"
    "GNOME, Cinnamon, MATE, Xfce, LXQt, LXDE, KDE Plasma, sway and plain X11,\n"
    "lives in the system tray and can be driven over D-Bus.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/rotafond/")
# The libraries come from the binary itself; the plugins and the font are
# loaded at run time, so nothing would name them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, libqt6svg6, fonts-comic-neue")
include(CPack)
