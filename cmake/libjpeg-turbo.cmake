# libjpeg-turbo for the Windows builds: Debian's source package, unpacked by
# `tools/install-deps --all` into /var/cache/vendrix/libjpeg-turbo, compiled
# with this build's mingw tool chain into a static library in the build
# folder.  It is the same version as the native build's libjpeg62-turbo, and
# both builds write the same bytes (tests/images/jpeg_test.cc).  Gives the target JPEG::JPEG, as
# find_package(JPEG) does natively.
include(ExternalProject)

set(VENDRIX_LIBJPEG_TURBO_SOURCE /var/cache/vendrix/libjpeg-turbo/source CACHE PATH
    "Debian's libjpeg-turbo source tree, as tools/install-deps --all unpacks it")
if(NOT EXISTS ${VENDRIX_LIBJPEG_TURBO_SOURCE}/jpeglib.h)
  message(FATAL_ERROR "No libjpeg-turbo source in ${VENDRIX_LIBJPEG_TURBO_SOURCE}: "
                      "run `tools/install-deps --all` as root")
endif()
# The SIMD code is assembled with nasm; without it the library would
# quietly build without SIMD.
find_program(VENDRIX_NASM nasm REQUIRED)

set(vendrix_jpeg_dir ${CMAKE_BINARY_DIR}/libjpeg-turbo)
set(vendrix_jpeg_library ${vendrix_jpeg_dir}/lib/libjpeg.a)
# The imported target names these folders before the library is built.
file(MAKE_DIRECTORY ${vendrix_jpeg_dir}/include ${vendrix_jpeg_dir}/lib)
cmake_host_system_information(RESULT vendrix_jpeg_jobs QUERY NUMBER_OF_LOGICAL_CORES)

# Only the library itself is built (no tools, no TurboJPEG API), and only
# its public headers are copied out, so that nothing else in its tree can
# shadow a header of ours.  Copies keep their time when unchanged: the
# sub-build runs on every build (it notices a new source tree) without
# making Vendrix relink.
ExternalProject_Add(vendrix_libjpeg_turbo
  SOURCE_DIR ${VENDRIX_LIBJPEG_TURBO_SOURCE}
  PREFIX ${vendrix_jpeg_dir}
  BINARY_DIR ${vendrix_jpeg_dir}/build
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    # Nothing is installed, but its packaging scripts want a folder here.
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_ASM_NASM_COMPILER=${VENDRIX_NASM}
    -Wno-dev
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DWITH_SIMD=ON
    -DREQUIRE_SIMD=ON
    # Vendrix writes Huffman-coded files only.
    -DWITH_ARITH_ENC=OFF
    -DWITH_ARITH_DEC=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static --parallel ${vendrix_jpeg_jobs}
  BUILD_ALWAYS ON
  INSTALL_COMMAND
    ${CMAKE_COMMAND} -E copy_if_different <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h
      <SOURCE_DIR>/jerror.h <BINARY_DIR>/jconfig.h ${vendrix_jpeg_dir}/include
    COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/libjpeg.a ${vendrix_jpeg_library}
  BUILD_BYPRODUCTS ${vendrix_jpeg_library})

add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION ${vendrix_jpeg_library}
  INTERFACE_INCLUDE_DIRECTORIES ${vendrix_jpeg_dir}/include)
add_dependencies(JPEG::JPEG vendrix_libjpeg_turbo)
