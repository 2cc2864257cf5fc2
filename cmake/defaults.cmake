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

# The pixel values are exact to the bit: no silent fused multiply-adds, no fast-math.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)

option(ZUVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(ZUVO_SANITIZE)
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
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZUVO_FUZZ needs clang (CXX=clang++), not ${CMAKE_CXX_COMPILER_ID}")
  endif()
  set(zuvo_fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=vptr,function
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${zuvo_fuzz_flags})
  add_link_options(${zuvo_fuzz_flags})
  add_compile_definitions(ZUVO_SANITIZE ZUVO_FUZZ)
endif()
