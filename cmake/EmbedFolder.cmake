# Turns the files of a folder into a C++ source holding their names and bytes,
# so the program carries them. IN: the folder, OUT: the source, NAME: the array.
file(GLOB FILES RELATIVE ${IN} ${IN}/*)
list(SORT FILES)
set(BODY "")
set(COUNT 0)
foreach(name ${FILES})
  file(READ ${IN}/${name} HEX HEX)
  string(LENGTH "${HEX}" HEXLEN)
  math(EXPR SIZE "${HEXLEN} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," BYTES "${HEX}")
  string(APPEND BODY "static const unsigned char kFile${COUNT}[] = {${BYTES} 0};\n")
  list(APPEND ENTRIES "{ \"${name}\", kFile${COUNT}, ${SIZE} }")
  math(EXPR COUNT "${COUNT} + 1")
endforeach()
list(JOIN ENTRIES ",\n  " TABLE)
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n#include \"tools/EmbeddedFiles.h\"\n\n${BODY}\n"
  "extern const CEmbeddedFile ${NAME}[] = {\n  ${TABLE}\n};\n"
  "extern const std::size_t ${NAME}Count = ${COUNT};\n")
