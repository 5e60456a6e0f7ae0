# cmake -DCONVERT=... -DSOURCE=icon.mvg -DSIZE=n -DOUTPUT=file.png -P RenderIcon.cmake
# Draws the icon's vector source (ImageMagick draw primitives, '#' comment
# lines left out) on a canvas of its viewbox's size and brings it to SIZE.
# A source drawn for a small size (SIZE a whole multiple of its viewbox) is
# drawn without smoothing and enlarged pixel for pixel, so it stays sharp; a
# large source is smoothed and scaled down.
file(STRINGS ${SOURCE} lines)
set(draw "")
set(base 256)
foreach(line IN LISTS lines)
  if(line MATCHES "^viewbox +0 +0 +([0-9]+) +[0-9]+")
    set(base ${CMAKE_MATCH_1})
  elseif(NOT line MATCHES "^#")
    string(APPEND draw "${line} ")
  endif()
endforeach()
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
math(EXPR rest "${SIZE} % ${base}")
if(SIZE GREATER_EQUAL base AND rest EQUAL 0)
  set(drawing +antialias -draw "${draw}" -filter point)
else()
  set(drawing -draw "${draw}")
endif()
execute_process(COMMAND ${CONVERT} -size ${base}x${base} xc:none ${drawing}
  -resize ${SIZE}x${SIZE} -strip PNG32:${OUTPUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not draw ${OUTPUT}")
endif()
