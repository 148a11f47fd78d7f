// The folders of this build, given by CMake as WIMMEL_TEST_*_DIR.
#include "test_paths.h"

namespace wimmel::test_paths {
const char kSourceDir[] = WIMMEL_TEST_SOURCE_DIR;
const char kDataDir[] = WIMMEL_TEST_DATA_DIR;
const char kBinDir[] = WIMMEL_TEST_BIN_DIR;
}  // namespace wimmel::test_paths
