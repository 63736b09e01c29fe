# SPDX-License-Identifier: GPL-3.0-or-later
# The layer rule holds only for includes that go through the include roots: a relative path such
# as "../presentation/GridColumns.h" reaches any folder from anywhere. So a quoted include names
# room/File.h, and no include holds "./" or "../".
#   cmake -DSOURCE_DIR=<folder> -P RootedIncludes.cmake
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(offences "")
foreach(source IN LISTS sources)
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "[.][.]?/"
       OR (line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"" AND NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/[A-Za-z0-9_]+[.]h\""))
      string(APPEND offences "  ${source}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "Includes must go through the layers' include roots, as \"room/File.h\":\n${offences}")
endif()
