# Sourced by the build scripts: a compiler cache makes rebuilding unchanged sources cheap, in
# another clone of the project or another build flavour too (paths are hashed relative to the
# project's folder). Sets `cache_launcher` to the CMake options that use it, empty without ccache.
cache_launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
  cache_launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Line tables are what a backtrace and the sanitizers' reports need; full debug information adds
# about a quarter to every compile. A developer who wants it configures a Debug build.
build_flags=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
