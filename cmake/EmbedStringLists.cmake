# Turns resources/strings/<ID>.txt files into a C++ table (see framework/core/UStringLists.h).
# Every byte is written as an escape, so any text survives.
set(_body "")
set(_index "")
file(GLOB _lists ${DIR}/*.txt)
foreach(_list IN LISTS _lists)
  get_filename_component(_id ${_list} NAME_WE)
  file(STRINGS ${_list} _items ENCODING UTF-8)
  set(_entries "")
  foreach(_item IN LISTS _items)
    string(HEX "${_item}" _hex)
    string(REGEX REPLACE "(..)" "\\\\x\\1" _escaped "${_hex}")
    string(APPEND _entries "  \"${_escaped}\",\n")
  endforeach()
  list(LENGTH _items _count)
  string(APPEND _body "static const char* const kList${_id}[] = {\n${_entries}  nullptr};\n")
  string(APPEND _index "  {${_id}, kList${_id}, ${_count}},\n")
endforeach()
file(WRITE ${OUT} "// Generated from resources/strings by cmake/EmbedStringLists.cmake. Do not edit.\n"
  "#include \"framework/core/UStringLists.h\"\n\n${_body}\n"
  "const SStringList kStringLists[] = {\n${_index}  {0, nullptr, 0}};\n")
