# Writes a C++ source that holds a text file as a character array, for the
# map page's script and style, which the page carries inline so that it
# needs no network.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kName -P embed_text.cmake
file(READ "${INPUT}" text)
# The source map is not shipped with the page.
string(REGEX REPLACE "\n//# sourceMappingURL=[^\n]*" "\n" text "${text}")
string(REGEX REPLACE "/\\*# sourceMappingURL=[^\n]*\\*/" "" text "${text}")
string(TOLOWER "${text}" lower)
foreach(end "</script" "</style" "<!--")
  string(FIND "${lower}" "${end}" found)
  if(NOT found EQUAL -1)
    message(FATAL_ERROR "${INPUT} holds ${end} and cannot go inline into a page")
  endif()
endforeach()
string(HEX "${text}" hex)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x..',){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.new" "// Written by embed_text.cmake from ${INPUT}.\n#include <cstddef>\n\nnamespace zeltlog {\n"
     "extern const char ${NAME}[] = {\n${bytes}'\\0'};\nextern const std::size_t ${NAME}Size = sizeof ${NAME} - 1;\n}  // namespace zeltlog\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
