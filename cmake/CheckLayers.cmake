# Fails when a library, module or program that must stay free of the windowing system links
# Qt Gui or Qt Widgets: the libraries through the link closure written at configure time
# (cmake/LayerCheck.cmake), the built modules and programs through every shared library the
# loader would map for them, directly or through another.
# cmake -DLAYERS=<build>/layers.cmake -P CheckLayers.cmake
if(NOT DEFINED LAYERS OR NOT EXISTS "${LAYERS}")
  message(FATAL_ERROR "LAYERS names no file: ${LAYERS}")
endif()
include(${LAYERS})

set(ui_link "Qt[0-9]*(::)?(Gui|Widgets)")
set(failures "")
set(checked 0)

foreach(library IN LISTS libraries)
  set(found "")
  foreach(item IN LISTS closure_${library})
    if(item MATCHES "${ui_link}")
      list(APPEND found ${item})
    endif()
  endforeach()
  if(found)
    string(APPEND failures "${library} links ${found}\n")
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()

foreach(binary IN LISTS binaries)
  if(NOT EXISTS "${binary}")
    string(APPEND failures "${binary} is not built\n")
    continue()
  endif()
  if(binary MATCHES "\\.so$")
    file(GET_RUNTIME_DEPENDENCIES MODULES ${binary} RESOLVED_DEPENDENCIES_VAR resolved
         UNRESOLVED_DEPENDENCIES_VAR unresolved PRE_EXCLUDE_REGEXES "^ld-linux")
  else()
    file(GET_RUNTIME_DEPENDENCIES EXECUTABLES ${binary} RESOLVED_DEPENDENCIES_VAR resolved
         UNRESOLVED_DEPENDENCIES_VAR unresolved PRE_EXCLUDE_REGEXES "^ld-linux")
  endif()
  set(found "")
  foreach(library IN LISTS resolved unresolved)
    get_filename_component(name "${library}" NAME)
    if(name MATCHES "^libQt[0-9]*(Gui|Widgets)\\.so")
      list(APPEND found ${name})
    endif()
  endforeach()
  if(found)
    string(APPEND failures "${binary} loads ${found}\n")
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()

if(failures)
  message(FATAL_ERROR "Qt Gui or Qt Widgets where no window belongs:\n${failures}")
endif()
message(STATUS "${checked} libraries, modules and programs link neither Qt Gui nor Qt Widgets")
