# Sourced by scripts/test.sh --sanitize and scripts/fuzz.sh: both configure the sanitizer build
# folder with the same settings (so that switching between them rebuilds nothing) and run its
# programs with the same sanitizer options.
sanitizer_dir=build-asan

configure_sanitizer_build() {
  cmake -S . -B "$sanitizer_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS_DEBUG="-g1 -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUELM_SANITIZE=ON -DQUELM_FUZZ=ON -DQUELM_BUILD_EXTRAS=OFF >/dev/null
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
