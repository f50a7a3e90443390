# Writes a C++ source defining the bytes of a file as an array, so that the
# program carries the file: cmake -DINPUT=f -DOUTPUT=f.cpp -DNAME=sym -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
     "// Generated from ${INPUT} by cmake/embed_file.cmake.\n#include <cstddef>\n"
     "alignas(64) extern const unsigned char ${NAME}[] = {\n${bytes}};\n"
     "extern const std::size_t ${NAME}_size = ${size};\n")
