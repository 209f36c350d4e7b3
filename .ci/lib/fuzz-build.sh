# Sourced by the fuzzing steps: clang (installed when missing) and the one
# build that holds every fuzz target, build/fuzz from the fuzz preset, or the
# build named by FUZZ_BUILD_DIR. After it, $build is that build's folder.
#   fuzz_build TARGET...   makes sure the named targets are built
if ! command -v clang++ >/dev/null; then
  echo "installing: clang"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang
fi

build="${FUZZ_BUILD_DIR:-$PWD/build/fuzz}"

fuzz_build() {
  if [ -z "${FUZZ_BUILD_DIR:-}" ]; then
    cmake --workflow --preset fuzz </dev/null
  else
    cmake --build "$build" -j2 --target "$@" </dev/null
  fi
}
