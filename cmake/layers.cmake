# The layers of the source tree, lowest first. A folder includes and links
# only folders of lower layers, or folders of its own layer without a cycle.
# testing/, tools/ and bench/ stand beside the unit and are not layered.
#
# Used by cmake/vondrel.cmake (the libraries' declared dependencies, checked
# at configure time) and by cmake/check_includes.cmake (every #include of
# every source file, run as a test).
set(VONDREL_LAYERS
  "kernel"
  "util"
  "store slp"
  "platform"
  "gmsg graphics render3d chart_sdk lake_chart image_codecs"
  "ui"
  "system sonar nav chart nmea network accessories media radar trolling terrain3d gauges pilot_book"
  "app")

# vondrel_layer_of(FOLDER OUT): the folder's layer number, or -1 when it is
# not layered.
function(vondrel_layer_of folder out)
  set(level 0)
  foreach(row IN LISTS VONDREL_LAYERS)
    string(REPLACE " " ";" members "${row}")
    if(folder IN_LIST members)
      set(${out} ${level} PARENT_SCOPE)
      return()
    endif()
    math(EXPR level "${level} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

# vondrel_layer_violations(EDGES OUT): EDGES is a list of "from>to" folder
# pairs; OUT gets one message per pair that goes up a layer, and one per
# cycle among folders of one layer.
function(vondrel_layer_violations edges out)
  set(messages "")
  set(same "")
  foreach(edge IN LISTS edges)
    string(REPLACE ">" ";" pair "${edge}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    if(from STREQUAL to)
      continue()
    endif()
    vondrel_layer_of(${from} lf)
    vondrel_layer_of(${to} lt)
    if(lf LESS 0 OR lt LESS 0)
      continue()
    endif()
    if(lt GREATER lf)
      list(APPEND messages "${from} (layer ${lf}) uses ${to} (layer ${lt}), a higher layer")
    elseif(lt EQUAL lf)
      list(APPEND same "${from}>${to}")
    endif()
  endforeach()
  # A cycle among folders of one layer: some folder reaches itself.
  list(REMOVE_DUPLICATES same)
  foreach(edge IN LISTS same)
    string(REPLACE ">" ";" pair "${edge}")
    list(GET pair 0 start)
    list(GET pair 1 next)
    set(seen "")
    set(frontier ${next})
    while(frontier)
      list(POP_FRONT frontier node)
      if(node STREQUAL start)
        list(APPEND messages "${start} and ${next} of one layer use each other (a cycle)")
        break()
      endif()
      if(node IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${node})
      foreach(e IN LISTS same)
        if(e MATCHES "^${node}>(.*)$")
          list(APPEND frontier ${CMAKE_MATCH_1})
        endif()
      endforeach()
    endwhile()
  endforeach()
  list(REMOVE_DUPLICATES messages)
  set(${out} "${messages}" PARENT_SCOPE)
endfunction()
