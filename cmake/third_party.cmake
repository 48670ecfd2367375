# The hand record's libraries for the targets that cannot take Debian's own (Windows, the
# page): DDS and libharu built as static libraries, with this build's compiler, from Debian's
# upstream tarballs, which tools/third-party-sources fetches and this checks again.
set(QUILLOTAN_THIRD_PARTY ${PROJECT_SOURCE_DIR}/build/third-party CACHE PATH
    "Where tools/third-party-sources put the tarballs of DDS and libharu")

function(quillotan_unpack archive sha256 folder)
    set(path ${QUILLOTAN_THIRD_PARTY}/${archive})
    if(NOT EXISTS ${path})
        message(FATAL_ERROR "${path} is missing: run tools/third-party-sources")
    endif()
    file(SHA256 ${path} actual)
    if(NOT actual STREQUAL sha256)
        message(FATAL_ERROR "${path} is not the tarball expected (SHA-256 ${actual})")
    endif()
    set(into ${PROJECT_BINARY_DIR}/third-party)
    if(NOT EXISTS ${into}/${folder})
        file(ARCHIVE_EXTRACT INPUT ${path} DESTINATION ${into})
    endif()
    set(${folder}_DIR ${into}/${folder} PARENT_SCOPE)
endfunction()

quillotan_unpack(dds_2.9.0.orig.tar.gz
                 9ef36d8c36bf697ba3b499fcb9dca51a4b423278ac72e947235ac86f0b5fc38a dds-2.9.0)
quillotan_unpack(libharu_2.3.0+dfsg.orig.tar.xz
                 87e8269d4b1b333a6e44168b4209bc6442ae3a11557cc8dc386fed65400bd34e
                 libharu-RELEASE_2_3_0)
quillotan_unpack(zlib_1.2.13.dfsg.orig.tar.bz2
                 71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1
                 zlib-1.2.13.dfsg)

# DDS: its library's sources as its own makefiles list them. On Windows it runs its tables on
# the standard library's threads; in the page on one thread, each worker solving its boards.
set(dds ${dds-2.9.0_DIR})
file(READ ${dds}/src/Makefiles/sources.txt dds_list)
string(REGEX MATCHALL "[A-Za-z]+\\.cpp" dds_sources "${dds_list}")
list(TRANSFORM dds_sources PREPEND ${dds}/src/)
add_library(quillotan_dds STATIC ${dds_sources})
target_include_directories(quillotan_dds SYSTEM INTERFACE ${dds}/include-dds)
target_compile_options(quillotan_dds PRIVATE -w -O3)
# Par.cpp uses printf without its header.
set_source_files_properties(${dds}/src/Par.cpp PROPERTIES COMPILE_OPTIONS "-include;cstdio")
if(MINGW)
    target_compile_definitions(quillotan_dds PRIVATE DDS_THREADS_STL)
else()
    # The browser: its memory as conversion/solver_memory_web.cpp gives it, and the deep
    # recursion of the search on a stack of 8 MB (Emscripten's default is 64 KB).
    target_sources(quillotan_dds PRIVATE ${PROJECT_SOURCE_DIR}/conversion/solver_memory_web.cpp)
    set_property(SOURCE ${dds}/src/System.cpp APPEND PROPERTY COMPILE_OPTIONS
                 -D__linux__ -Dpopen=quillotan_solver_popen -include unistd.h)
    target_link_options(quillotan_dds INTERFACE -sTOTAL_STACK=8388608)
endif()
# The header as the front ends include it: <dds/dll.h>.
file(COPY ${dds}/include/dll.h DESTINATION ${dds}/include-dds/dds)

# libharu: without PNG, which the record does not use; with zlib, which compresses its pages.
set(hpdf ${libharu-RELEASE_2_3_0_DIR})
file(GLOB hpdf_sources ${hpdf}/src/*.c)
list(FILTER hpdf_sources EXCLUDE REGEX "hpdf_image_png\\.c$")
file(WRITE ${hpdf}/include/hpdf_config.h "/* written by Quillotan's build */\n")
enable_language(C)
add_library(quillotan_hpdf STATIC ${hpdf_sources})
target_include_directories(quillotan_hpdf SYSTEM PUBLIC ${hpdf}/include)
target_compile_definitions(quillotan_hpdf PUBLIC LIBHPDF_HAVE_NOPNGLIB)
target_compile_options(quillotan_hpdf PRIVATE -w)
# zlib of the same version as Debian's own, so that the pages compress to the same bytes.
set(zlib ${zlib-1.2.13.dfsg_DIR})
add_library(quillotan_zlib STATIC
    ${zlib}/adler32.c ${zlib}/crc32.c ${zlib}/deflate.c ${zlib}/trees.c ${zlib}/zutil.c)
target_include_directories(quillotan_zlib SYSTEM PUBLIC ${zlib})
target_compile_options(quillotan_zlib PRIVATE -w)
target_link_libraries(quillotan_hpdf PUBLIC quillotan_zlib)
