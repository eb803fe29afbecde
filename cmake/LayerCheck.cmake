# The layers the build keeps apart: the game rules, the network, the host, the table server,
# the network services, the HTTP client, the operating-system layer and the tally's storage link no
# Qt Gui and no Qt Widgets. Included from the top-level CMakeLists.txt once every folder is
# added; the test layers_link_check (cmake/CheckLayers.cmake) reads what is written here.

# The libraries checked through their link closure (everything they bring onto a link line).
set(DORVANE_NO_UI_LIBRARIES rules net host server platform tally http langame routerwire routertalk netplayengines
                            netplay)
# The modules and programs checked through the shared libraries they load.
set(DORVANE_NO_UI_BINARIES dorvanehttp dorvanenetplay dorvane-router dorvane-host dorvane-server dorvane-sim)

# dorvane_link_closure(target out_var): every target and library name reachable from target
# through LINK_LIBRARIES and INTERFACE_LINK_LIBRARIES, private dependencies of static
# libraries ($<LINK_ONLY:...>) included. A generator expression counts with every target it
# names, whatever its condition: the closure may hold more than a given link uses, never less.
function(dorvane_link_closure target out_var)
  set(seen "")
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending item)
    if(item IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${item})
    if(NOT TARGET ${item})
      continue()
    endif()
    get_target_property(aliased ${item} ALIASED_TARGET)
    if(aliased)
      list(APPEND pending ${aliased})
      continue()
    endif()
    set(links "")
    get_target_property(imported ${item} IMPORTED)
    get_target_property(type ${item} TYPE)
    if(NOT imported AND NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${item} LINK_LIBRARIES)
      if(direct)
        list(APPEND links ${direct})
      endif()
    endif()
    get_target_property(interface ${item} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND links ${interface})
    endif()
    foreach(link IN LISTS links)
      if(link MATCHES "^\\$<")
        string(REGEX MATCHALL "[A-Za-z0-9_.+-]+(::[A-Za-z0-9_.+-]+)?" names "${link}")
        foreach(name IN LISTS names)
          if(TARGET ${name})
            list(APPEND pending ${name})
          endif()
        endforeach()
      else()
        list(APPEND pending ${link})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_ITEM seen ${target})
  set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

if(DORVANE_BUILD_TESTS)
  set(closures "")
  foreach(library ${DORVANE_NO_UI_LIBRARIES} ${DORVANE_NO_UI_BINARIES})
    if(NOT TARGET ${library})
      message(FATAL_ERROR "Layer check: no target ${library}")
    endif()
    dorvane_link_closure(${library} closure)
    string(APPEND closures "set(\"closure_${library}\" \"${closure}\")\n")
  endforeach()
  set(binaries "")
  foreach(binary ${DORVANE_NO_UI_BINARIES})
    list(APPEND binaries "$<TARGET_FILE:${binary}>")
  endforeach()
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/layers.cmake
       CONTENT "set(libraries \"${DORVANE_NO_UI_LIBRARIES};${DORVANE_NO_UI_BINARIES}\")\n${closures}set(binaries \"${binaries}\")\n")
  add_test(NAME layers_link_check
           COMMAND ${CMAKE_COMMAND} -DLAYERS=${PROJECT_BINARY_DIR}/layers.cmake
                   -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)
endif()
