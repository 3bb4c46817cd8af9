# Script (cmake -P): writes the bytes of IN as a C++ byte array SYMBOL with its size SYMBOLSize into OUT.
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Line breaks every 32 bytes keep the generated file readable by compilers' line limits.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUT}" "// Generated from ${IN}\n#include <cstddef>\n"
  "extern const unsigned char ${SYMBOL}[];\nextern const size_t ${SYMBOL}Size;\n"
  "alignas(16) const unsigned char ${SYMBOL}[] = {\n${bytes}0x00};\n"
  "const size_t ${SYMBOL}Size = ${size};\n")
