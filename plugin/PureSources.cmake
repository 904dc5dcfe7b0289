# chronel's code without platform calls: built into the plug-in and natively for the unit tests
# and the fuzz targets.
set(CHRONEL_PLUGIN_PURE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/HeaderText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryIndex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CivilTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageRewrite.cpp)
