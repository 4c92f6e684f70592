include(${CMAKE_CURRENT_LIST_DIR}/header_only.cmake)
zeltlog_host_headers(nlohmann_json::nlohmann_json nlohmann)
