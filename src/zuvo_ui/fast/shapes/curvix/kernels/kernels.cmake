# The outline transform's fast path: the driver and one translation unit per
# instruction set.  Included by the module's build and by the test-only probe,
# so that both compile the same sources with the same flags.
set(CURVIX_OUTLINE_FAST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/outline_transform_fast.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outline_portable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outline_sse2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outline_avx2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outline_neon.cpp
)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/outline_avx2.cpp
                              PROPERTIES COMPILE_OPTIONS "-mavx2;-mfma")
endif()
