# Writes INPUT's bytes as a C++ array NAME (with NAME_size) into OUTPUT: the editor's bitmaps travel
# inside the plug-in, as its resources do on Windows.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\nnamespace X11Edit {\nextern const unsigned char ${NAME}[] = {${bytes}};\nextern const std::size_t ${NAME}_size = sizeof ${NAME};\n}\n")
