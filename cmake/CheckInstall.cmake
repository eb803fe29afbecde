# Installs the build tree into a scratch prefix and checks what a desktop needs from it.
# cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -DAPP_ID=<id> -P CheckInstall.cmake
foreach(var BUILD_DIR PREFIX APP_ID MODULE_DIR UNIT_DIR BIN_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected
    bin/dorvane
    bin/dorvane-server
    ${UNIT_DIR}/dorvane-server.service
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml)
# The module libraries the program opens when first needed (HTTP client, sounds, JPEG, network).
foreach(module dorvanehttp dorvanesound dorvanejpeg dorvanenetplay)
  list(APPEND expected ${MODULE_DIR}/lib${module}.so)
endforeach()
# The program that talks to the router, run by the network module from its own folder.
list(APPEND expected ${MODULE_DIR}/dorvane-router)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
set(failures "")
foreach(file ${expected})
  if(NOT EXISTS ${PREFIX}/${file})
    string(APPEND failures "missing: ${file}\n")
  endif()
endforeach()
if(EXISTS ${PREFIX}/bin/dorvane AND NOT IS_DIRECTORY ${PREFIX}/bin/dorvane)
  file(GET_RUNTIME_DEPENDENCIES EXECUTABLES ${PREFIX}/bin/dorvane
       UNRESOLVED_DEPENDENCIES_VAR unresolved
       PRE_EXCLUDE_REGEXES "^ld-linux")
  if(unresolved)
    string(APPEND failures "unresolved libraries of bin/dorvane: ${unresolved}\n")
  endif()
endif()
file(GLOB modules ${PREFIX}/${MODULE_DIR}/*.so)
if(modules)
  file(GET_RUNTIME_DEPENDENCIES MODULES ${modules}
       UNRESOLVED_DEPENDENCIES_VAR unresolved
       PRE_EXCLUDE_REGEXES "^ld-linux")
  if(unresolved)
    string(APPEND failures "unresolved libraries of the modules: ${unresolved}\n")
  endif()
endif()

# Each icon's picture must have the size its folder names (PNG: width and height at 16..23).
foreach(size 16 32 48 64 128 256)
  set(icon ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
  if(EXISTS ${icon})
    file(READ ${icon} header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 32 16 dims)
    string(SUBSTRING "${dims}" 0 8 w)
    string(SUBSTRING "${dims}" 8 8 h)
    math(EXPR width "0x${w}")
    math(EXPR height "0x${h}")
    if(NOT width EQUAL size OR NOT height EQUAL size)
      string(APPEND failures "icon ${size}x${size} is ${width}x${height}\n")
    endif()
  endif()
endforeach()

# The desktop's own validators, when the machine has them.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${APP_ID}.desktop
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    string(APPEND failures "desktop-file-validate: ${out}\n")
  endif()
else()
  message(STATUS "desktop-file-validate not installed: menu entry not validated")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
                          ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    string(APPEND failures "appstreamcli validate: ${out}\n")
  endif()
else()
  message(STATUS "appstreamcli not installed: metadata not validated")
endif()

# The service unit, checked by systemd's own verifier when the machine has it. The unit
# names the program where the install target puts it; the check points it at the scratch
# prefix instead.
find_program(SYSTEMD_ANALYZE systemd-analyze)
set(unit ${PREFIX}/${UNIT_DIR}/dorvane-server.service)
if(SYSTEMD_ANALYZE AND EXISTS ${unit})
  file(READ ${unit} text)
  string(REPLACE "${BIN_DIR}/dorvane-server" "${PREFIX}/bin/dorvane-server" text "${text}")
  set(scratch_unit_dir ${PREFIX}/unit-check)
  file(WRITE ${scratch_unit_dir}/dorvane-server.service "${text}")
  execute_process(COMMAND ${SYSTEMD_ANALYZE} verify --man=no ${scratch_unit_dir}/dorvane-server.service
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  # It warns of unknown keys and still succeeds: any complaint fails the check.
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    string(APPEND failures "systemd-analyze verify: ${out}\n")
  endif()
else()
  message(STATUS "systemd-analyze not installed: service unit not verified")
endif()

if(failures)
  message(FATAL_ERROR "installed tree in ${PREFIX}:\n${failures}")
endif()
message(STATUS "installed tree in ${PREFIX} is complete")
