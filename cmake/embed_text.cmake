# Turns a text file into C++ source: an array of its lines as string
# literals, ended by a null pointer.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=array -DHEADER=include -P embed_text.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")
string(REPLACE "\\" "\\\\" text "${text}")
string(REPLACE "\"" "\\\"" text "${text}")
# A line end inside the file becomes the end of one literal and the start
# of the next; the last line end closes the last literal.
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\n" "\",\n    \"" text "${text}")
file(WRITE "${OUTPUT}.tmp"
  "// Made by cmake/embed_text.cmake from ${INPUT}; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "const char* const ${NAME}[] = {\n    \"${text}\",\n    nullptr};\n")
execute_process(COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")
