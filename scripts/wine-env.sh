# The environment of every Wine run of the tests and scripts (sourced): quiet, 32-bit, Wine's
# menu builder off, and the caches of the libraries Wine loads (fontconfig, Mesa) in the build
# tree, so that nothing is written into the user's home folder.
export WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES=winemenubuilder.exe=d
brevix_env_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export XDG_CACHE_HOME="$brevix_env_root/build/cache"
mkdir -p "$XDG_CACHE_HOME"
