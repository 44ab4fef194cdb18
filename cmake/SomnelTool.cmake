# The project's one version number, from project(): a generated header
# carries it to the tools' --version and to their version resources.
configure_file(${CMAKE_SOURCE_DIR}/tools/common/SomnelVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/SomnelVersion.h @ONLY)

# somnel_tool(TARGET DESCRIPTION)
# A command-line tool: it links the shared command-line helper (--help, /?,
# --version, the exit codes) and, on Windows, carries a version resource.
function(somnel_tool target description)
  target_link_libraries(${target} PRIVATE toolcli)
  # Also the NAME line of the tool's man page.
  set_property(TARGET ${target} PROPERTY SOMNEL_DESCRIPTION "${description}")
  if(WIN32)
    set(TOOL_NAME ${target})
    set(TOOL_FILE ${target}.exe)
    set(TOOL_DESCRIPTION "${description}")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/tools/common/ToolVersion.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  endif()
endfunction()
