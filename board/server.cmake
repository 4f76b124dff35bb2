# The server's layers above the store (included by board/CMakeLists.txt).
find_package(nlohmann_json 3 REQUIRED)

add_library(qc_board_http STATIC http/server.cpp)
target_link_libraries(qc_board_http PUBLIC PkgConfig::HTTPLIB Threads::Threads)
target_link_libraries(qc_board_http PRIVATE qc_build)

# The templates, stylesheet and script, built into the program.
file(GLOB QC_BOARD_ASSETS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pages/templates/*.mustache)
list(APPEND QC_BOARD_ASSETS ${CMAKE_CURRENT_SOURCE_DIR}/pages/board.css ${CMAKE_CURRENT_SOURCE_DIR}/pages/board.js)
string(REPLACE ";" "|" QC_BOARD_ASSET_LIST "${QC_BOARD_ASSETS}")
set(QC_BOARD_ASSETS_CPP ${CMAKE_CURRENT_BINARY_DIR}/board_assets.cpp)
add_custom_command(OUTPUT ${QC_BOARD_ASSETS_CPP}
  COMMAND ${CMAKE_COMMAND} "-DFILES=${QC_BOARD_ASSET_LIST}" -DOUT=${QC_BOARD_ASSETS_CPP}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/pages/embed.cmake
  DEPENDS ${QC_BOARD_ASSETS} ${CMAKE_CURRENT_SOURCE_DIR}/pages/embed.cmake VERBATIM)
add_library(qc_board_pages STATIC pages/render.cpp ${QC_BOARD_ASSETS_CPP})
target_link_libraries(qc_board_pages PUBLIC nlohmann_json::nlohmann_json)
target_link_libraries(qc_board_pages PRIVATE qc_build)

add_library(qc_board_jobs STATIC jobs/workers.cpp jobs/outage.cpp)
target_link_libraries(qc_board_jobs PUBLIC qc_board_store PRIVATE qc_board_engine Threads::Threads)
target_link_libraries(qc_board_jobs PRIVATE qc_build)

add_library(qc_board_app STATIC
  app/app.cpp app/context.cpp app/page_cache.cpp app/fields.cpp app/views.cpp
  app/api_routes.cpp app/page_routes.cpp app/mod_routes.cpp app/media_routes.cpp)
target_link_libraries(qc_board_app PUBLIC qc_board_http qc_board_jobs nlohmann_json::nlohmann_json
  PRIVATE qc_board_pages qc_board_security qc_board_store qc_board_engine)
target_link_libraries(qc_board_app PRIVATE qc_build)

add_library(qc_board_cli STATIC cli/commands.cpp cli/worker_command.cpp cli/stop_signals.cpp cli/migrate_command.cpp)
target_link_libraries(qc_board_cli PRIVATE qc_board_app qc_board_store qc_board_security qc_board_engine
  qc_board_transfer)
target_link_libraries(qc_board_cli PRIVATE qc_build)

add_executable(quillcast-board main.cpp)
target_link_libraries(quillcast-board PRIVATE qc_board_cli qc_board_engine)
target_link_libraries(quillcast-board PRIVATE qc_build)
