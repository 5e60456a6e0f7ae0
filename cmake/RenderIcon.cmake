# cmake -DCONVERT=... -DSOURCE=icon.mvg -DSIZE=n -DOUTPUT=file.png -P RenderIcon.cmake
# Draws the icon's vector source (ImageMagick draw primitives, 256 x 256,
# '#' comment lines and the viewbox line left out) and scales it to SIZE.
file(STRINGS ${SOURCE} lines)
set(draw "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^#" AND NOT line MATCHES "^viewbox")
    string(APPEND draw "${line} ")
  endif()
endforeach()
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
execute_process(COMMAND ${CONVERT} -size 256x256 xc:none -draw "${draw}"
  -resize ${SIZE}x${SIZE} -strip PNG32:${OUTPUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not draw ${OUTPUT}")
endif()
