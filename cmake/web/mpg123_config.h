/* libmpg123's build configuration for WebAssembly (emscripten's wasm32:
 * long is 32 bits, off_t always 64): the portable C decoder with the same
 * features as Debian's build, without output modules, network or threads. */
#define ACCURATE_ROUNDING 1
#define FRAME_INDEX 1
#define INDEX_SIZE 1000
#define GAPLESS 1
#define IEEE_FLOAT 1
#define USE_NEW_HUFFTABLE 1
#define HAVE_ATOLL 1
#define HAVE_DIRENT_H 1
#define HAVE_INTTYPES_H 1
#define HAVE_LIMITS_H 1
#define HAVE_LOCALE_H 1
#define HAVE_SIGNAL_H 1
#define HAVE_STDINT_H 1
#define HAVE_STDIO_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRERROR 1
#define HAVE_STRINGS_H 1
#define HAVE_STRING_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TIME_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_UNISTD_H 1
#define SIZEOF_LONG 4
#define SIZEOF_OFF_T 8
#define SIZEOF_SIZE_T 4
#define SIZEOF_SSIZE_T 4
#define STDERR_FILENO 2
#define STDIN_FILENO 0
#define STDOUT_FILENO 1
#define PACKAGE_NAME "mpg123"
#define PACKAGE_VERSION WIMMEL_MPG123_VERSION
#define PKGLIBDIR "lib/mpg123"
#define DEFAULT_OUTPUT_MODULE ""
#define LT_MODULE_EXT ".so"
