# Shared by scripts/run, scripts/test and the other scripts: installs the
# Debian packages a script needs when they are missing, and configures and
# builds a build folder.

FORGELINE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# ensure_packages PKG... : apt-get update once, then install what is missing.
ensure_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  # Root installs directly (a container often has no sudo); anyone else
  # through sudo, when there is one.
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Installing ${missing[*]} needs root: run this as root, or install them first." >&2
      return 1
    fi
    sudo=(sudo)
  fi
  # One package-list update per run, also when a script calls another.
  if [ -z "${FORGELINE_APT_UPDATED:-}" ]; then
    "${sudo[@]}" apt-get update -qq
    export FORGELINE_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A font, because the window draws its notes as text and its tests look for
# those pixels; a bare machine may have none.
BUILD_PACKAGES=(cmake make g++ libgtest-dev libcli11-dev qt6-base-dev fonts-dejavu-core nlohmann-json3-dev libdtl-dev)

# Making the Debian package (dpkg-shlibdeps finds its dependencies) and
# checking it; the tests also render the man pages, load the zsh and fish
# completions, validate the AppStream file and validate check's SARIF log
# against its JSON schema.
PACKAGE_PACKAGES=(dpkg-dev lintian)
DIST_TEST_PACKAGES=("${PACKAGE_PACKAGES[@]}" man-db groff-base zsh fish appstream python3-jsonschema)

# The Windows leg: the mingw-w64 cross compiler with the posix thread model
# (GoogleTest needs it) and its binutils (objdump), GoogleTest's sources to
# build for mingw, Wine to run what was built, rsvg-convert and icotool for
# the window's icon, zip and msitools (wixl makes the .msi, msiinfo and
# msidump read it back) for the packages.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64 binutils-mingw-w64-x86-64 googletest wine wine64 librsvg2-bin
                  icoutils zip msitools wixl)
WINDOWS_BUILD_DIR="$FORGELINE_ROOT/build-windows"

# build_tree DIR [CMAKE ARGS...] : configure (once) and build.
build_tree() {
  local dir=$1
  shift
  cmake -S "$FORGELINE_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

# wine_server_up PREFIX : one wineserver for every Wine process that
# follows, until wine_server_down. A server that lingers a few seconds after
# its last client and then exits drops any client that meets it while it is
# going ("recvmsg: Connection reset by peer"), so the server is made
# persistent. Wine's background services (services.exe, winedevice.exe, ...)
# inherit the output of whichever Wine process starts them and outlive it;
# started here with no output, no test's pipe is held open by them. Under
# Xvfb, call this with DISPLAY set, or the desktop has no display driver.
wine_server_up() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -e "$WINEPREFIX/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1
  fi
  # Wait until any server of this prefix has gone: one that is shutting down
  # cannot be made persistent, and a second one cannot start beside it.
  wineserver -w
  wineserver -p
  wineboot </dev/null >/dev/null 2>&1
}

# wine_server_down : ends the server of $WINEPREFIX and every Wine process
# still running under it.
wine_server_down() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# configure_windows [CMAKE ARGS...] : configure the cross build in
# build-windows; the first configure also makes its Wine prefix.
configure_windows() {
  cmake -S "$FORGELINE_ROOT" -B "$WINDOWS_BUILD_DIR" \
    -DCMAKE_TOOLCHAIN_FILE="$FORGELINE_ROOT/cmake/mingw-w64-x86_64.cmake" -DFORGELINE_BUILD_APP=OFF "$@" >/dev/null
}

# build_windows [CMAKE ARGS...] : configure (once) and cross-build the
# Windows programs and tests into build-windows, with its own Wine prefix.
build_windows() {
  configure_windows "$@"
  cmake --build "$WINDOWS_BUILD_DIR" -j "$JOBS"
}

# test_windows : the Windows suite under Wine, ending with ctest's summary.
# One test at a time: two Wine processes starting at the same moment
# sometimes fail to start even with the server kept up, while the serial
# run takes no longer on two cores.
test_windows() {
  ctest --test-dir "$WINDOWS_BUILD_DIR" --output-on-failure -j 1
}
