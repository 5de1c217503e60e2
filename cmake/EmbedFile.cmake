# Turns a file into a C++ source holding its bytes, so the program carries it.
file(READ ${IN} HEX HEX)
string(LENGTH "${HEX}" HEXLEN)
math(EXPR SIZE "${HEXLEN} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," BYTES "${HEX}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n#include <cstddef>\n"
  "extern const unsigned char kAppBundleData[] = {${BYTES} 0};\n"
  "extern const std::size_t kAppBundleSize = ${SIZE};\n")
