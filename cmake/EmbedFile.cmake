# Writes the bytes of a file as a C++ array, so the program carries the file and never opens it.
# Usage: cmake -DINPUT=file -DOUTPUT=source.cpp -DNAME=Symbol -P EmbedFile.cmake
# The source defines `const uint8_t Symbol[]` and `const size_t SymbolSize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes a line.
set(bytes "")
foreach(start RANGE 0 ${digits} 32)
  string(SUBSTRING "${hex}" ${start} 32 line)
  if(line)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," line "${line}")
    string(APPEND bytes "    ${line}\n")
  endif()
endforeach()
get_filename_component(source_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.part"
     "// Made at build time from ${source_name}; do not edit.\n"
     "#include <cstddef>\n#include <cstdint>\n\n"
     "extern const uint8_t ${NAME}[];\nextern const size_t ${NAME}Size;\n\n"
     "const uint8_t ${NAME}[] = {\n${bytes}};\nconst size_t ${NAME}Size = ${size};\n")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
