# Writes a C++ source that holds files as byte arrays, for files a program
# carries inside itself. Called in script mode:
#   cmake -DOUTPUT=file.cpp -DHEADER=engine/X.h -DFUNCTION=Name -DFILES="a|b" -P EmbedFiles.cmake
# The function returns a std::span<const qv::TEmbeddedFile> in the order given.
set(arrays "")
set(entries "")
set(index 0)
string(REPLACE "|" ";" FILES "${FILES}")
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kFile${index}[${size}] = {\n    ${bytes}};\n")
  string(APPEND entries "    {\"${name}\", kFile${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from the carried files by cmake/EmbedFiles.cmake; do not edit.
#include \"${HEADER}\"

namespace qv {
namespace {

${arrays}
const TEmbeddedFile kFiles[] = {
${entries}};

}  // namespace

std::span<const TEmbeddedFile> ${FUNCTION}() { return kFiles; }

}  // namespace qv
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
