# Writes the gallery's visits (resources/visits/*.vrec) into one C++ source as strings:
# cmake -DOUTPUT=... -DVISITS=<folder> -P embed_visits.cmake
set(body "// Generated from resources/visits/*.vrec; do not edit.\n#include \"framework/gallery.h\"\n\nnamespace {\n")
foreach(season spring summer autumn winter)
  file(READ ${VISITS}/${season}.vrec text)
  string(APPEND body "const char ${season}[] = R\"visit(${text})visit\";\n")
endforeach()
string(APPEND body "}  // namespace\n\nconst char* galleryVisitText(int index) {\n"
  "    static const char* const visits[] = {spring, summer, autumn, winter};\n"
  "    return index >= 0 && index < 4 ? visits[index] : \"\";\n}\n")
file(WRITE ${OUTPUT} "${body}")
