# The core's layers and what each may use. tools/check_layers.py reads the qel_layer() and
# qel_app_parts() lines below, so this file is the one place the rule is written down: a
# change here changes both the build and the check.
#
#   base                          vocabulary types and the program's identity
#   ui, platform                  the widget kit; the machine's services (neither needs the other)
#   i18n, clicker, hotkeys, ...   the subsystems
#   app                           the main window and start-up, which wire everything
#   win32/, linux/                the editions, on top (not part of the core)

# The main window's methods live beside the subsystem that describes them, so a few files
# in subsystem folders are part of the app layer.
set(QEL_APP_PARTS "")
macro(qel_app_parts)
  list(APPEND QEL_APP_PARTS ${ARGN})
endmacro()

set(QEL_LAYERS "")
macro(qel_layer name)
  cmake_parse_arguments(_layer "" "" "USES" ${ARGN})
  list(APPEND QEL_LAYERS ${name})
  set(QEL_LAYER_USES_${name} ${_layer_USES})
endmacro()

qel_layer(base)
qel_layer(ui USES base)
qel_layer(platform USES base)
qel_layer(i18n USES base platform)
qel_layer(clicker USES base platform)
qel_layer(hotkeys USES base platform i18n)
qel_layer(settings USES base platform i18n)
qel_layer(macros USES base platform i18n settings)
qel_layer(update USES base platform i18n)
qel_layer(app USES base ui platform i18n clicker hotkeys settings macros update)

qel_app_parts(
  clicker/ClickRun.cpp clicker/MouseSynthesis.cpp
  hotkeys/HotkeyDispatch.cpp hotkeys/HotkeyEditorDialog.cpp hotkeys/HotkeyEditorDialog.h
  i18n/LanguageMenu.cpp
  macros/MacroLibrary.cpp macros/Playback.cpp macros/Recorder.cpp
  settings/Settings.cpp
  update/UpdateDialog.cpp update/UpdateDialog.h update/UpdateGate.cpp update/UpdateGate.h)

# The program's identity, generated from the one version line.
include(${CMAKE_CURRENT_LIST_DIR}/Version.cmake)
set(QEL_APP_TITLE "QEL Auto Clicker")
string(REPLACE "." ";" _qel_version_parts "${QEL_VERSION}")
list(GET _qel_version_parts 0 _qel_major)
list(GET _qel_version_parts 1 _qel_minor)
math(EXPR QEL_VERSION_NUMBER "${_qel_major} * 10 + ${_qel_minor}")
set(QEL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../src/base/AppInfo.h.in ${QEL_GENERATED_DIR}/base/AppInfo.h @ONLY)

# qel_add_core(NAME [OPTIONS flags...]): one object library per layer (NAME_<layer>), each
# compiled with the include path and the usage of the layers it may use, and the static
# library NAME that holds them all, which programs and tests link.
function(qel_add_core name)
  cmake_parse_arguments(_core "" "" "OPTIONS;DEFINITIONS" ${ARGN})
  set(_src_root ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src)
  cmake_path(NORMAL_PATH _src_root)
  set(_parts "")
  foreach(part IN LISTS QEL_APP_PARTS)
    list(APPEND _parts ${_src_root}/${part})
  endforeach()
  set(_objects "")
  foreach(layer IN LISTS QEL_LAYERS)
    file(GLOB _src CONFIGURE_DEPENDS ${_src_root}/${layer}/*.cpp)
    if(layer STREQUAL "app")
      list(APPEND _src ${_parts})
      list(FILTER _src INCLUDE REGEX "\\.cpp$")
    else()
      foreach(part IN LISTS _parts)
        list(REMOVE_ITEM _src ${part})
      endforeach()
    endif()
    if(NOT _src)
      # A layer of headers only.
      add_library(${name}_${layer} INTERFACE)
      target_include_directories(${name}_${layer} INTERFACE ${_src_root} ${QEL_GENERATED_DIR})
      continue()
    endif()
    add_library(${name}_${layer} OBJECT ${_src})
    target_include_directories(${name}_${layer} PUBLIC ${_src_root} ${QEL_GENERATED_DIR})
    target_compile_options(${name}_${layer} PRIVATE ${_core_OPTIONS})
    target_compile_definitions(${name}_${layer} PRIVATE ${_core_DEFINITIONS})
    foreach(dep IN LISTS QEL_LAYER_USES_${layer})
      target_link_libraries(${name}_${layer} PUBLIC ${name}_${dep})
    endforeach()
    list(APPEND _objects $<TARGET_OBJECTS:${name}_${layer}>)
  endforeach()
  add_library(${name} STATIC ${_objects})
  target_include_directories(${name} PUBLIC ${_src_root} ${QEL_GENERATED_DIR})
endfunction()
