# cmake -DINPUT=file -DOUTPUT=source.cpp -DTYPE=type -DNAME=name -P EmbedResource.cmake
# Writes a C++ source that carries the file as the module's one resource in the exported
# resource table, which is how POSIX modules carry what Windows modules carry as compiled
# resources. A module has one table: a second resource would join this one here.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "EmbedResource: ${INPUT} is empty")
endif()
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(file ${INPUT} NAME)
file(WRITE ${OUTPUT}.part
"// Generated from ${file} by cmake/EmbedResource.cmake; do not edit.
#include \"platform/Platform.h\"

namespace {
const unsigned char kData[] = {
    ${bytes}
};
}  // namespace

extern \"C\" __attribute__((visibility(\"default\"))) const HoxResourceEntry hoxResourceTable[];
extern \"C\" const HoxResourceEntry hoxResourceTable[] = {
    {\"${TYPE}\", \"${NAME}\", kData, sizeof kData},
    {nullptr, nullptr, nullptr, 0},
};
")
file(RENAME ${OUTPUT}.part ${OUTPUT})
