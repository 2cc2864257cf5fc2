# Build settings shared by every native target of the project: the shipped
# modules, the stand-in host and the kernel probe compile alike.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()

# The pixel values are exact to the bit: no silent fused multiply-adds, no
# fast-math, on every compiler.
if(MSVC)
  # MSVC and clang-cl (both set MSVC) take cl-style options.  /fp:precise keeps
  # cl.exe from contracting a*b+c since Visual Studio 2022 (before that it could
  # fuse under /arch:AVX2).  clang-cl maps /fp:precise to -ffp-contract=on,
  # which fuses within an expression, so it is told contract=off as well; the
  # later option wins.
  add_compile_options(/W4 /fp:precise)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_compile_options(/clang:-ffp-contract=off)
  endif()
else()
  # GCC contracts by default (and on aarch64 that changes results), so
  # -ffp-contract=off is needed on every GCC and Clang target.
  add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
endif()

option(ZUVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(ZUVO_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "ZUVO_SANITIZE uses the GCC/Clang sanitizers (make test-sanitize on Linux); "
                        "MSVC has no UndefinedBehaviorSanitizer")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  add_compile_definitions(ZUVO_SANITIZE)
endif()

# Coverage-guided fuzzing (make fuzz): clang instruments every branch for
# libFuzzer and checks with ASan + UBSan, but links none of their runtimes; the
# fuzzer preloads atheris's asan_with_fuzzer.so, which carries all three.
# vptr and function checks need the C++ UBSan runtime, which that library lacks.
option(ZUVO_FUZZ "Build for atheris: clang's fuzzer-no-link coverage with ASan and UBSan" OFF)
if(ZUVO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR MSVC)
    message(FATAL_ERROR "ZUVO_FUZZ needs clang with GCC-style options (CXX=clang++), not ${CMAKE_CXX_COMPILER}")
  endif()
  set(zuvo_fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=vptr,function
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${zuvo_fuzz_flags})
  add_link_options(${zuvo_fuzz_flags})
  add_compile_definitions(ZUVO_SANITIZE ZUVO_FUZZ)
endif()
