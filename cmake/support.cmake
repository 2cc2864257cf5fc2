# The CPython support layer shared by the extension modules and the stand-in host.

add_library(zuvo_support STATIC
  ${ZUVO_SRC}/support/args.cpp
  ${ZUVO_SRC}/support/convert.cpp
  ${ZUVO_SRC}/support/module.cpp
  ${ZUVO_SRC}/support/buffer.cpp
  ${ZUVO_SRC}/support/errors.cpp
  ${ZUVO_SRC}/support/names.cpp
  ${ZUVO_SRC}/support/pygame_surface.cpp
)
target_link_libraries(zuvo_support PUBLIC Python::Module)
