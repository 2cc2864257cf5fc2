# The kernels' sources: the one list, read by the module's build, by the
# test-only probe's (so that both compile the same sources with the same
# flags) and by the Makefile's C++ kernel test (one file name per line).
set(CURVIX_KERNEL_FILES
  corner_transform.cpp
  filled.cpp
  outlined.cpp
  outline_transform.cpp
  outline_rows.cpp
  runs.cpp
  portable.cpp
  fast.cpp
  dispatch.cpp
  isa_sse2.cpp
  isa_avx2.cpp
  isa_neon.cpp
  draw_rect.cpp
  draw_shadow.cpp
)
list(TRANSFORM CURVIX_KERNEL_FILES PREPEND ${CMAKE_CURRENT_LIST_DIR}/
     OUTPUT_VARIABLE CURVIX_KERNEL_SOURCES)

# The AVX2 unit, and only it, is compiled for AVX2 and FMA (the driver picks it
# at run time); its code is guarded by __x86_64__/_M_X64, so on other
# processors it compiles to nothing.  The flags follow the architectures being
# compiled for, not the build machine:
# - MSVC and clang-cl: /arch:AVX2 on x64 (clang-cl reads it as AVX2 + FMA).
#   Their architecture comes from the compiler, as CMAKE_SYSTEM_PROCESSOR is
#   the build machine's on Windows.
# - Apple: one compiler call may build several slices (universal2 has
#   CMAKE_OSX_ARCHITECTURES "x86_64;arm64"), so the flags go through
#   -Xarch_x86_64, which hands them to the x86_64 slice only; the arm64 slice
#   never sees -mavx2.  The same form serves a single x86_64 slice, such as an
#   x86_64 wheel cross-built on an arm64 Mac.
# - Other GCC/Clang targets build one architecture: CMAKE_SYSTEM_PROCESSOR,
#   which a cross toolchain file sets to the target's.
set(curvix_avx2_flags "")
if(MSVC)
  if(CMAKE_CXX_COMPILER_ARCHITECTURE_ID MATCHES "^(x64|X64|AMD64)$")
    set(curvix_avx2_flags /arch:AVX2)
  endif()
elseif(APPLE)
  set(curvix_archs ${CMAKE_OSX_ARCHITECTURES})
  if(NOT curvix_archs)
    set(curvix_archs ${CMAKE_SYSTEM_PROCESSOR})
  endif()
  if("x86_64" IN_LIST curvix_archs)
    set(curvix_avx2_flags -Xarch_x86_64 -mavx2 -Xarch_x86_64 -mfma)
  endif()
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(curvix_avx2_flags -mavx2 -mfma)
endif()
if(curvix_avx2_flags)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/isa_avx2.cpp
                              PROPERTIES COMPILE_OPTIONS "${curvix_avx2_flags}")
endif()

# The one kernel layer as a static library, for every module that draws with
# it (curvix, draw) and for the test-only probe; position-independent, as it
# goes into shared modules.
add_library(zuvo_kernels STATIC ${CURVIX_KERNEL_SOURCES})
set_target_properties(zuvo_kernels PROPERTIES POSITION_INDEPENDENT_CODE ON)
