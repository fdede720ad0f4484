# Images are drawn once as SVG and rendered at build time for each display
# scale, so adding an image means adding one SVG:
#   resource/<area>/<name>.svg      -> :/resource/<area>/<scale>/<name>.png
#   resource/<area>/<name>.ico.svg  -> :/resource/<area>/<name>.ico
#   resource/<area>/noscale/<name>.svg -> :/resource/<area>/<name>.png (x1 only)
#   resource/<area>/vector/<name>.svg  -> :/resource/<area>/<name>.svg (as drawn)
# and sounds are written as notes, played into WAV files at build time:
#   resource/<area>/<name>.wav.notes -> :/resource/<area>/<name>.wav
# Translations are compiled at build time, at the place the program looks:
#   resource/i18n/<name>.ts -> :/i18n/<name>.qm
# Any other file below resource/ is embedded as it is.
set(PLOVIX_SCALES x1 x1.25 x1.5 x1.75)
set(PLOVIX_SCALE_FACTORS 1 1.25 1.5 1.75)

function(plovix_add_image_resources out_var resource_dir)
  set(gen_dir ${CMAKE_BINARY_DIR}/generated)
  set(qrc ${gen_dir}/images.qrc)
  file(GLOB_RECURSE all_files CONFIGURE_DEPENDS RELATIVE ${resource_dir} ${resource_dir}/*)
  set(entries "")
  set(outputs "")
  foreach(rel IN LISTS all_files)
    get_filename_component(dir ${rel} DIRECTORY)
    get_filename_component(fname ${rel} NAME)
    set(src ${resource_dir}/${rel})
    if(fname MATCHES "^(.+)\\.ico\\.svg$")
      set(base ${CMAKE_MATCH_1})
      set(out ${gen_dir}/resource/${dir}/${base}.ico)
      add_custom_command(OUTPUT ${out}
        COMMAND plovix_svgrender ${src} ${out} 1
        DEPENDS plovix_svgrender ${src} VERBATIM)
      list(APPEND outputs ${out})
      string(APPEND entries "    <file alias=\"resource/${dir}/${base}.ico\">${out}</file>\n")
    elseif(fname MATCHES "^(.+\\.wav)\\.notes$")
      set(out ${gen_dir}/resource/${dir}/${CMAKE_MATCH_1})
      add_custom_command(OUTPUT ${out}
        COMMAND plovix_soundgen ${src} ${out}
        DEPENDS plovix_soundgen ${src} VERBATIM)
      list(APPEND outputs ${out})
      string(APPEND entries "    <file alias=\"resource/${dir}/${CMAKE_MATCH_1}\">${out}</file>\n")
    elseif(fname MATCHES "^(.+)\\.ts$" AND dir STREQUAL "i18n")
      set(out ${gen_dir}/i18n/${CMAKE_MATCH_1}.qm)
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}/i18n
        COMMAND Qt5::lrelease -silent ${src} -qm ${out}
        DEPENDS ${src} VERBATIM)
      list(APPEND outputs ${out})
      string(APPEND entries "    <file alias=\"i18n/${CMAKE_MATCH_1}.qm\">${out}</file>\n")
    elseif(fname MATCHES "^(.+)\\.svg$" AND dir MATCHES "(.*)/vector$")
      string(APPEND entries "    <file alias=\"resource/${CMAKE_MATCH_1}/${fname}\">${src}</file>\n")
      list(APPEND outputs ${src})
    elseif(fname MATCHES "^(.+)\\.svg$" AND dir MATCHES "(.*)/noscale$")
      set(area ${CMAKE_MATCH_1})
      string(REGEX REPLACE "\\.svg$" "" base ${fname})
      set(out ${gen_dir}/resource/${area}/${base}.png)
      add_custom_command(OUTPUT ${out}
        COMMAND plovix_svgrender ${src} ${out} 1
        DEPENDS plovix_svgrender ${src} VERBATIM)
      list(APPEND outputs ${out})
      string(APPEND entries "    <file alias=\"resource/${area}/${base}.png\">${out}</file>\n")
    elseif(fname MATCHES "^(.+)\\.svg$")
      set(base ${CMAKE_MATCH_1})
      set(args "")
      set(scale_outputs "")
      foreach(scale factor IN ZIP_LISTS PLOVIX_SCALES PLOVIX_SCALE_FACTORS)
        set(out ${gen_dir}/resource/${dir}/${scale}/${base}.png)
        list(APPEND args ${out} ${factor})
        list(APPEND scale_outputs ${out})
        string(APPEND entries "    <file alias=\"resource/${dir}/${scale}/${base}.png\">${out}</file>\n")
      endforeach()
      add_custom_command(OUTPUT ${scale_outputs}
        COMMAND plovix_svgrender ${src} ${args}
        DEPENDS plovix_svgrender ${src} VERBATIM)
      list(APPEND outputs ${scale_outputs})
    else()
      string(APPEND entries "    <file alias=\"resource/${rel}\">${src}</file>\n")
      list(APPEND outputs ${src})
    endif()
  endforeach()
  file(CONFIGURE OUTPUT ${qrc} CONTENT "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n${entries}  </qresource>\n</RCC>\n")
  set(cpp ${gen_dir}/qrc_images.cpp)
  add_custom_command(OUTPUT ${cpp}
    COMMAND Qt5::rcc --name images --output ${cpp} ${qrc}
    DEPENDS ${qrc} ${outputs} VERBATIM)
  set_source_files_properties(${cpp} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
  set(${out_var} ${cpp} PARENT_SCOPE)
endfunction()
