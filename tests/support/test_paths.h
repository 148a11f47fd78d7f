// Where the tests find the sources, the build's programs and the generated
// data: WIMMEL_SOURCE_DIR, WIMMEL_DATA_DIR and WIMMEL_BIN_DIR, each a
// NUL-terminated folder name. Every file of tests/ sees this header through
// the compiler's -include; the folders themselves are compiled into
// test_paths.cpp alone, so that every other test file compiles to the same
// object in every clone and a compiler cache serves clones in other folders.
#pragma once

namespace wimmel::test_paths {
extern const char kSourceDir[];
extern const char kDataDir[];
extern const char kBinDir[];
}  // namespace wimmel::test_paths

#define WIMMEL_SOURCE_DIR (::wimmel::test_paths::kSourceDir)
#define WIMMEL_DATA_DIR (::wimmel::test_paths::kDataDir)
#define WIMMEL_BIN_DIR (::wimmel::test_paths::kBinDir)
