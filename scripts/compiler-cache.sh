# Sourced by the build scripts: a compiler cache makes rebuilding unchanged sources cheap, in
# another clone of the project or another build flavour too (paths are hashed relative to the
# project's folder). Sets `cache_launcher` to the CMake options that use it, empty without ccache.
cache_launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
  # The compiler's own dependency list instead of a preprocessor run on every miss (a fresh
  # machine misses on everything); sources that use a precompiled header cached too (clang's
  # header records its folder, so a clone in another folder builds those again); Qt Test's two
  # folder macros (absolute paths, read only by QFINDTESTDATA, which no test uses) kept out of
  # the key, so that a clone in another folder hits for everything else.
  export CCACHE_DEPEND=true
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  export CCACHE_IGNOREOPTIONS="-DQT_TESTCASE_BUILDDIR=* -DQT_TESTCASE_SOURCEDIR=*"
  cache_launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# clang builds this project in about two thirds of GCC's time (the tests' code generation most of
# all), and the fuzz flavour needs it anyway; every flavour uses it.
compilers=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14)

# Line tables are what a backtrace and the sanitizers' reports need; full debug information adds
# about a quarter to every compile. A developer who wants it configures a Debug build.
build_flags=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
