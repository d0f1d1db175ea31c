# Fails when a file of one engine layer includes a header of a layer above
# it. Run by the build with ENGINE_DIR (the swf/ folder), LAYERS (the
# layers' folders, lowest first) and STAMP (touched when all is well).
#
# The value types at the engine's root (colours, matrices, the header,
# diagnostics) sit below every layer; the facade's headers (Player.h,
# Renderer.h) above all of them.

set(base_headers Color.h ColorTransform.h Diagnostic.h Header.h Matrix.h)
set(problems "")
set(allowed "")
foreach(layer ${LAYERS})
  list(APPEND allowed ${layer})
  file(GLOB_RECURSE files ${ENGINE_DIR}/${layer}/*.h ${ENGINE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"swf/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"swf/([^\"]*)\".*$" "\\1" path "${line}")
      if(path MATCHES "^([^/]+)/")
        set(target_layer ${CMAKE_MATCH_1})
        list(FIND allowed ${target_layer} found)
      else()
        list(FIND base_headers ${path} found)
        set(target_layer "the facade")
      endif()
      if(found EQUAL -1)
        file(RELATIVE_PATH shown ${ENGINE_DIR} ${file})
        string(APPEND problems "  swf/${shown} (layer ${layer}) includes swf/${path} (${target_layer})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Engine layers include upwards:\n${problems}")
endif()
file(TOUCH ${STAMP})
