# The CPython support layer shared by the extension modules (and the stand-in
# host), and the build options every native target of the project follows.

option(ZUVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(ZUVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(zuvo_support STATIC
  ${ZUVO_SRC}/support/args.cpp
  ${ZUVO_SRC}/support/convert.cpp
  ${ZUVO_SRC}/support/module.cpp
  ${ZUVO_SRC}/support/buffer.cpp
  ${ZUVO_SRC}/support/errors.cpp
  ${ZUVO_SRC}/support/names.cpp
)
target_link_libraries(zuvo_support PUBLIC Python::Module)
