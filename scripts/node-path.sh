# Sourced by the commands that build or test the page: Debian's emscripten and node find their own
# modules (acorn, terser) only through NODE_PATH. The web preset (CMakePresets.json) and the page's
# CMakeLists.txt, which cannot source this, name the same folder.
export NODE_PATH=/usr/share/nodejs
