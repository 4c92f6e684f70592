include(${CMAKE_CURRENT_LIST_DIR}/header_only.cmake)
zeltlog_host_headers(CLI11::CLI11 CLI)
