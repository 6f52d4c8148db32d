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
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  # One package-list update per run, also when a script calls another.
  if [ -z "${FORGELINE_APT_UPDATED:-}" ]; then
    "${sudo[@]}" apt-get update -qq
    export FORGELINE_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A font, because the window draws its notes as text and its tests look for
# those pixels; a bare machine may have none.
BUILD_PACKAGES=(cmake make g++ libgtest-dev libcli11-dev qt6-base-dev fonts-dejavu-core nlohmann-json3-dev)

# Making the Debian package (dpkg-shlibdeps finds its dependencies) and
# checking it; the tests also render the man pages and load the zsh
# completion.
PACKAGE_PACKAGES=(dpkg-dev lintian)
DIST_TEST_PACKAGES=("${PACKAGE_PACKAGES[@]}" man-db groff-base zsh)

# build_tree DIR [CMAKE ARGS...] : configure (once) and build.
build_tree() {
  local dir=$1
  shift
  cmake -S "$FORGELINE_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}
