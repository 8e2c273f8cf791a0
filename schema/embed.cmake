# Turns the table definitions into a C++ source file holding them as one string.
file(READ ${IN} content)
set(delim "LUGSCHEMA")
file(WRITE ${OUT} "// Generated from schema/tables.def; do not edit.\n")
file(APPEND ${OUT} "namespace lug::db { extern const char* const kSchemaText; ")
file(APPEND ${OUT} "const char* const kSchemaText = R\"${delim}(${content})${delim}\"; }\n")
