# The web player's site, build-web/site/: the pages and scripts of web/site/,
# the engine module, and the sample drawings as scripts with their list.
# Everything in it is static: any web server can serve the folder as it is.
set(QC_SITE ${CMAKE_BINARY_DIR}/site)
file(GLOB_RECURSE QC_SITE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}/site
  ${CMAKE_CURRENT_SOURCE_DIR}/site/*)
file(GLOB QC_SAMPLE_SCRIPTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.qcs)

set(QC_SITE_OUTPUTS)
foreach(file ${QC_SITE_SOURCES})
  add_custom_command(OUTPUT ${QC_SITE}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/site/${file} ${QC_SITE}/${file}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/site/${file})
  list(APPEND QC_SITE_OUTPUTS ${QC_SITE}/${file})
endforeach()

set(QC_SAMPLE_NAMES)
foreach(script ${QC_SAMPLE_SCRIPTS})
  get_filename_component(name ${script} NAME)
  add_custom_command(OUTPUT ${QC_SITE}/samples/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${script} ${QC_SITE}/samples/${name}
    DEPENDS ${script})
  list(APPEND QC_SITE_OUTPUTS ${QC_SITE}/samples/${name})
  list(APPEND QC_SAMPLE_NAMES "\"${name}\"")
endforeach()
list(JOIN QC_SAMPLE_NAMES ", " QC_SAMPLE_LIST)
file(GENERATE OUTPUT ${QC_SITE}/samples/index.json CONTENT "[${QC_SAMPLE_LIST}]\n")

add_custom_command(OUTPUT ${QC_SITE}/engine/quillcast-engine.js ${QC_SITE}/engine/quillcast-engine.wasm
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillcast-engine> ${QC_SITE}/engine/quillcast-engine.js
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE_DIR:quillcast-engine>/quillcast-engine.wasm
          ${QC_SITE}/engine/quillcast-engine.wasm
  DEPENDS quillcast-engine)
list(APPEND QC_SITE_OUTPUTS ${QC_SITE}/engine/quillcast-engine.js ${QC_SITE}/engine/quillcast-engine.wasm)

# The packages the pages import, from web/node_modules at the versions of
# web/package-lock.json (scripts/setup runs npm ci), each file named here.
set(QC_NODE_MODULES ${CMAKE_CURRENT_SOURCE_DIR}/node_modules)
set(QC_VENDOR_FILES
  "comlink/dist/esm/comlink.mjs=comlink.mjs"
  "comlink/dist/esm/comlink.mjs.map=comlink.mjs.map"
  "comlink/dist/umd/comlink.js=comlink.js"
  "comlink/dist/umd/comlink.js.map=comlink.js.map"
  "comlink/LICENSE=comlink.LICENSE"
  "idb-keyval/dist/index.js=idb-keyval.js"
  "idb-keyval/LICENCE=idb-keyval.LICENSE"
  "gifenc/dist/gifenc.esm.js=gifenc.js"
  "gifenc/dist/gifenc.esm.js.map=gifenc.esm.js.map"
  "gifenc/LICENSE.md=gifenc.LICENSE"
  "mediabunny/dist/bundles/mediabunny.min.mjs=mediabunny.js"
  "mediabunny/LICENSE=mediabunny.LICENSE")
foreach(entry ${QC_VENDOR_FILES})
  string(REPLACE "=" ";" pair ${entry})
  list(GET pair 0 from)
  list(GET pair 1 to)
  if(NOT EXISTS ${QC_NODE_MODULES}/${from})
    message(FATAL_ERROR "${QC_NODE_MODULES}/${from} is missing: run npm ci in web/ (scripts/setup does)")
  endif()
  add_custom_command(OUTPUT ${QC_SITE}/vendor/${to}
    COMMAND ${CMAKE_COMMAND} -E copy ${QC_NODE_MODULES}/${from} ${QC_SITE}/vendor/${to}
    DEPENDS ${QC_NODE_MODULES}/${from})
  list(APPEND QC_SITE_OUTPUTS ${QC_SITE}/vendor/${to})
endforeach()

# The player's own icon.
add_custom_command(OUTPUT ${QC_SITE}/favicon.ico
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/quillcast.ico ${QC_SITE}/favicon.ico
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/quillcast.ico)
list(APPEND QC_SITE_OUTPUTS ${QC_SITE}/favicon.ico)

add_custom_target(web-site ALL DEPENDS ${QC_SITE_OUTPUTS})
