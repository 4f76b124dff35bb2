# Settings of the web tree, built with Debian's emscripten (em++ 3.1.6):
#   cmake --preset web
# Only the player's code, the engine around it and the web player's site
# are built there; the tools and their tests stay native.

# The optimiser that emcc runs while linking is a Node.js program that needs
# Debian's own Node.js modules (acorn among them). The web preset
# (CMakePresets.json) names them in NODE_PATH, for the compiler checks while
# configuring, and every link of the tree keeps the value it was configured
# with, so that a plain `cmake --build build-web` links too.
if(NOT DEFINED ENV{NODE_PATH})
  message(FATAL_ERROR "The web tree needs NODE_PATH: configure it with its preset, cmake --preset web")
endif()
set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=$ENV{NODE_PATH}")

# WebAssembly puts static data below 64 KiB by default. A class name's
# address there would pass IS_INTRESOURCE, and the emulated desktop would
# take the player's window class for a resource number.
add_link_options(-sGLOBAL_BASE=65536)

# Link-time optimisation: the emulated desktop's many small calls (one per
# window, object or message look) are inlined across its files; the dense
# sample plays about 13% faster.
add_compile_options(-flto)
add_link_options(-flto)

# The emulated desktop stops a show that runs over its bounds by throwing
# out of the call that did it; the engine catches that.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# Programs run outside the browser (the engine's tests) run under the
# machine's Node.js, whose own fetch() would break the loader's read of the
# .wasm file.
find_program(QC_NODE node REQUIRED)
set(QC_NODE_RUN ${QC_NODE} --no-experimental-fetch)
