# The WebAssembly build (scripts/build-web runs it with emscripten's
# toolchain): no SDL and no threads, the runtime's libraries built from
# Debian's source packages that scripts/build-web unpacked, and the programs
# written to WIMMEL_WEB_OUT.
set(WIMMEL_WEB_SOURCES "" CACHE PATH "Unpacked source packages zlib, libpng1.6 and mpg123")
set(WIMMEL_WEB_OUT "${CMAKE_BINARY_DIR}/web" CACHE PATH "Where the web programs go")
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "WIMMEL_WEB needs emscripten's toolchain (scripts/build-web)")
endif()
foreach(package zlib libpng1.6 mpg123)
  if(NOT EXISTS ${WIMMEL_WEB_SOURCES}/${package})
    message(FATAL_ERROR "WIMMEL_WEB_SOURCES has no ${package} (scripts/build-web fetches it)")
  endif()
endforeach()
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${WIMMEL_WEB_OUT})
# Debian's emcc links with JavaScript tools that need the Node modules of
# Debian's packages, which Node does not search by itself; with this the
# tree also builds without scripts/build-web around it.
if(EXISTS /usr/share/nodejs)
  set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
endif()

# Single-threaded: std::mutex and friends still compile, and need nothing.
add_library(Threads::Threads INTERFACE IMPORTED)

# ---------------------------------------------------------------- zlib
set(zlib_dir ${WIMMEL_WEB_SOURCES}/zlib)
add_library(wimmel_web_zlib STATIC)
foreach(name adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr zutil)
  target_sources(wimmel_web_zlib PRIVATE ${zlib_dir}/${name}.c)
endforeach()
target_include_directories(wimmel_web_zlib SYSTEM PUBLIC ${zlib_dir})
target_compile_options(wimmel_web_zlib PRIVATE -w)

# ---------------------------------------------------------------- libpng
# pnglibconf.h is libpng's prebuilt default configuration, the one its
# configure script makes without options.
set(png_dir ${WIMMEL_WEB_SOURCES}/libpng1.6)
set(png_conf ${CMAKE_BINARY_DIR}/web-png)
configure_file(${png_dir}/scripts/pnglibconf.h.prebuilt ${png_conf}/pnglibconf.h COPYONLY)
add_library(wimmel_web_png STATIC)
foreach(name png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans
             pngwio pngwrite pngwtran pngwutil)
  target_sources(wimmel_web_png PRIVATE ${png_dir}/${name}.c)
endforeach()
target_include_directories(wimmel_web_png SYSTEM PUBLIC ${png_dir} ${png_conf})
target_compile_options(wimmel_web_png PRIVATE -w)
target_link_libraries(wimmel_web_png PUBLIC wimmel_web_zlib)
add_library(PNG::PNG ALIAS wimmel_web_png)

# ---------------------------------------------------------------- libmpg123
# The portable C decoder (OPT_GENERIC) with floating-point synthesis.
set(mpg_dir ${WIMMEL_WEB_SOURCES}/mpg123)
set(mpg_conf ${CMAKE_BINARY_DIR}/web-mpg123)
file(READ ${mpg_dir}/configure.ac mpg_configure)
string(REGEX MATCH "AC_INIT\\(\\[mpg123\\], \\[([0-9.]+)" _ "${mpg_configure}")
set(PACKAGE_VERSION ${CMAKE_MATCH_1})
string(REGEX MATCH "API_VERSION=([0-9]+)" _ "${mpg_configure}")
set(API_VERSION ${CMAKE_MATCH_1})
set(INCLUDE_STDLIB_H "#include <stdlib.h>")
set(INCLUDE_SYS_TYPE_H "#include <sys/types.h>")
set(BUILD_NO_LARGENAME 1)  # off_t has 64 bits whatever _FILE_OFFSET_BITS says
configure_file(${mpg_dir}/src/libmpg123/mpg123.h.in ${mpg_conf}/mpg123.h @ONLY)
configure_file(${mpg_dir}/src/libmpg123/fmt123.h ${mpg_conf}/fmt123.h COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/web/mpg123_config.h ${mpg_conf}/config.h COPYONLY)
add_library(wimmel_web_mpg123 STATIC)
foreach(name parse frame format dct64 equalizer id3 optimize readers tabinit libmpg123 index icy
             icy2utf8 layer1 layer2 layer3 ntom synth_8bit synth synth_s32 synth_real stringbuf
             feature)
  target_sources(wimmel_web_mpg123 PRIVATE ${mpg_dir}/src/libmpg123/${name}.c)
endforeach()
target_sources(wimmel_web_mpg123 PRIVATE ${mpg_dir}/src/compat/compat.c
                                         ${mpg_dir}/src/compat/compat_str.c)
target_compile_definitions(wimmel_web_mpg123 PRIVATE OPT_GENERIC REAL_IS_FLOAT
                                                     WIMMEL_MPG123_VERSION="${PACKAGE_VERSION}")
target_include_directories(wimmel_web_mpg123 PRIVATE ${mpg_dir}/src ${mpg_dir}/src/compat
                                                     ${mpg_dir}/src/libmpg123)
target_include_directories(wimmel_web_mpg123 SYSTEM PUBLIC ${mpg_conf})
target_compile_options(wimmel_web_mpg123 PRIVATE -w)
add_library(PkgConfig::MPG123 ALIAS wimmel_web_mpg123)

# For the program's own code, which every target made from here on is: C++
# exceptions are off in emscripten unless asked for, and the SSE2 to SSE4.1
# intrinsics of the blitters and the BMP loader become WebAssembly SIMD.
add_compile_options(-fexceptions -msimd128 -msse4.1)
add_link_options(-fexceptions)

# A program that runs under Node with the host's files (NODERAWFS), as the
# native one runs in a shell: arguments, exit status, standard streams.
function(wimmel_web_node_program target)
  set(environment ${PROJECT_SOURCE_DIR}/src/runtime/web/node_environment.js)
  target_link_options(${target} PRIVATE -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1
                                        -sENVIRONMENT=node --pre-js=${environment})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${environment})
endfunction()

# The program of the web page (wimmel.js and wimmel.wasm) and the page
# around it. The program is single-threaded: where it waits, it hands
# control back to the browser through Asyncify (wimmel_web_wait in the web
# display), and only the functions on the way to such a wait are
# instrumented for that; for Asyncify's analysis every function with an
# indirect call might be, so the hot ones that never reach a wait (the puts
# with their blitters, the other drawing of a step, the figures' collision
# test and draw order, the canvas conversion, the mixer, and the screen
# lock and operator new, whose handler paths make every caller suspect) are
# named in web/asyncify_remove.txt and run as compiled. The page's files are copied beside it, and the
# data of WIMMEL_WEB_DATA (a native tree's generated data) is packed into
# wimmel.data.
set(WIMMEL_WEB_DATA "" CACHE PATH "The generated data folder to publish with the page")
function(wimmel_web_page_program target)
  set(web ${PROJECT_SOURCE_DIR}/src/runtime/web)
  target_link_options(${target} PRIVATE
    -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432 -sFORCE_FILESYSTEM=1
    -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536 -sASYNCIFY_IMPORTS=wimmel_web_wait
    -sASYNCIFY_REMOVE=@${PROJECT_SOURCE_DIR}/cmake/web/asyncify_remove.txt
    -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency
    --pre-js=${web}/web_audio.js)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${web}/web_audio.js
                                                           ${PROJECT_SOURCE_DIR}/cmake/web/asyncify_remove.txt)

  set(outputs)
  foreach(name wimmel-page.js wimmel.css)
    add_custom_command(OUTPUT ${WIMMEL_WEB_OUT}/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy ${web}/page/${name} ${WIMMEL_WEB_OUT}/${name}
                       DEPENDS ${web}/page/${name})
    list(APPEND outputs ${WIMMEL_WEB_OUT}/${name})
  endforeach()
  # index.html carries the packed data's size for the loading bar.
  set(pack python3 ${web}/page/pack_data.py)
  set(page_in ${web}/page/index.html.in)
  if(WIMMEL_WEB_DATA)
    file(GLOB_RECURSE data_files CONFIGURE_DEPENDS ${WIMMEL_WEB_DATA}/*)
    add_custom_command(OUTPUT ${WIMMEL_WEB_OUT}/wimmel.data ${WIMMEL_WEB_OUT}/index.html
                       COMMAND ${pack} ${WIMMEL_WEB_DATA} ${WIMMEL_WEB_OUT}/wimmel.data ${page_in}
                               ${WIMMEL_WEB_OUT}/index.html
                       DEPENDS ${web}/page/pack_data.py ${page_in} ${data_files})
    list(APPEND outputs ${WIMMEL_WEB_OUT}/wimmel.data)
  else()
    add_custom_command(OUTPUT ${WIMMEL_WEB_OUT}/index.html
                       COMMAND ${pack} "" "" ${page_in} ${WIMMEL_WEB_OUT}/index.html
                       DEPENDS ${web}/page/pack_data.py ${page_in})
  endif()
  list(APPEND outputs ${WIMMEL_WEB_OUT}/index.html)
  add_custom_target(${target}_page ALL DEPENDS ${outputs})
endfunction()
