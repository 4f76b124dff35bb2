# Writes OUT, a C++ source that holds every file given in FILES as a string,
# named by its file name: the board's templates and its own CSS and script
# travel inside the program.
string(REPLACE "|" ";" FILES "${FILES}")
set(text "// Generated from board/pages/; edit the files there.\n#include \"board/pages/assets.h\"\n\nnamespace board::pages {\n\nconst std::vector<Asset>& assets() {\n    static const std::vector<Asset> all = {\n")
foreach(file ${FILES})
  file(READ ${file} content)
  get_filename_component(name ${file} NAME)
  string(APPEND text "        {\"${name}\", R\"QCASSET(${content})QCASSET\"},\n")
endforeach()
string(APPEND text "    };\n    return all;\n}\n\n}  // namespace board::pages\n")
file(WRITE ${OUT}.tmp "${text}")
file(RENAME ${OUT}.tmp ${OUT})
