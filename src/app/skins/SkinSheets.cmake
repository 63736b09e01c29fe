# SPDX-License-Identifier: GPL-3.0-or-later
# The skins' style sheets are made when the build is configured, from one template, skin.qss.in,
# and one palette per skin, <skin>.cmake, which sets a value for each @placeholder@ of the
# template. The skins differ only in those values, so every rule is written once.

# A top-to-bottom gradient between two colours, in the sheets' notation.
function(vertical_gradient placeholder top bottom)
  set(${placeholder} "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 ${top}, stop:1 ${bottom})" PARENT_SCOPE)
endfunction()

# Writes <folder>/<skin>.qss. A placeholder the palette leaves unset stops the configuration,
# rather than leaving a rule without its value.
function(tallyvane_skin_sheet skin folder)
  set(_template ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/skin.qss.in)
  include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${skin}.cmake)
  file(READ ${_template} _sheet)
  string(REGEX MATCHALL "@[A-Za-z]+@" _placeholders "${_sheet}")
  list(REMOVE_DUPLICATES _placeholders)
  foreach(_placeholder IN LISTS _placeholders)
    string(REPLACE "@" "" _name ${_placeholder})
    if(NOT DEFINED ${_name})
      message(FATAL_ERROR "The ${skin} skin's palette sets no ${_placeholder}")
    endif()
  endforeach()
  configure_file(${_template} ${folder}/${skin}.qss @ONLY)
endfunction()
