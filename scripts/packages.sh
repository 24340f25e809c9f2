# Debian packages the project needs; sourced by run.sh and test.sh.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-image-formats-plugins
                qt6-qpa-plugins libglib2.0-dev libxcb1-dev libxcb-image0-dev fonts-comic-neue
                libqt6svg6)
TEST_PACKAGES=(xvfb xauth x11-utils openbox trayer dbus-daemon dbus-x11 xdotool wmctrl
               desktop-file-utils libglib2.0-bin tumbler hsetroot
               # The installed files and the package, checked by the desktop's own tools.
               appstream dpkg-dev file lintian
               # The desktops' own programs, so each backend is proven against them.
               gsettings-desktop-schemas mate-desktop-common cinnamon-desktop-data
               dconf-service dconf-cli xfdesktop4 xfconf caja pcmanfm-qt pcmanfm
               sway swaybg sway-backgrounds grim
               # Two monitors of different sizes on one X server.
               xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)
# What scripts/build-deb.sh needs besides the build.
PACKAGE_PACKAGES=(dpkg-dev file lintian)

# Installs whichever of the given packages are missing (apt-get update first).
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
