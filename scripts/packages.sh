# Debian packages the build, the tests and the demo need; sourced by the
# README's two commands.
PW_PACKAGES=(cmake g++ make pkg-config ccache nettle-dev libzip-dev libarchive-dev nlohmann-json3-dev
             libgtest-dev libgmock-dev libbenchmark-dev zip unzip qt6-base-dev
             qt6-image-formats-plugins desktop-file-utils man-db dpkg-dev
             clang libclang-rt-14-dev xvfb shared-mime-info
             # The install test validates the AppStream metainfo, and opens a kit
             # archive as a file manager does.
             appstream libglib2.0-bin
             # The wizard heard through the accessibility bus on a display of its own.
             dbus-daemon at-spi2-core python3-pyatspi x11-utils
             # Other zip writers, whose archives the reader's tests read.
             libarchive-tools 7zip python3 fastjar)
# What scripts/check-package.sh checks the packages with.
PW_PACKAGE_CHECKS=(lintian devscripts blhc)

# Installs the packages named, or PW_PACKAGES, that are missing.
install_missing_packages() {
    local wanted=("$@") missing=()
    [ ${#wanted[@]} -gt 0 ] || wanted=("${PW_PACKAGES[@]}")
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
