# What a Qt program of the Windows build needs beside it: Qt's DLLs, the
# platform and style plugins in their folders, and the C++ runtime DLLs that
# Qt's DLLs link. trovex_qt_runtime(TARGET FOLDER...) copies them into each
# build folder whose programs need them (the window, the icon tool, the window
# tests); trovex_install_qt_runtime() installs what the program needs beside
# the installed trovex.exe.

# Qt's own DLLs and its plugins, as "target;folder" pairs; the offscreen and
# minimal platforms and the test library serve the tests and the build only.
set(trovex_qt_libraries Qt6::Core Qt6::Gui Qt6::Widgets)
set(trovex_qt_plugins Qt6::QWindowsIntegrationPlugin platforms Qt6::QWindowsVistaStylePlugin styles)
set(trovex_qt_build_libraries Qt6::Test)
set(trovex_qt_build_plugins Qt6::QOffscreenIntegrationPlugin platforms Qt6::QMinimalIntegrationPlugin platforms)

# The compiler's runtime DLLs, which Qt's DLLs link (the programs of this
# build link their own runtime statically).
set(trovex_mingw_runtime)
foreach(name libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler's runtime DLL ${name} was not found")
  endif()
  get_filename_component(path ${path} REALPATH)
  list(APPEND trovex_mingw_runtime ${path})
endforeach()

function(trovex_qt_runtime target)
  set(commands)
  foreach(folder IN LISTS ARGN)
    foreach(library IN LISTS trovex_qt_libraries trovex_qt_build_libraries)
      list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${library}> ${folder})
    endforeach()
    foreach(dll IN LISTS trovex_mingw_runtime)
      list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dll} ${folder})
    endforeach()
    set(plugins ${trovex_qt_plugins} ${trovex_qt_build_plugins})
    while(plugins)
      list(POP_FRONT plugins plugin subfolder)
      list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/${subfolder}
                           COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}> ${folder}/${subfolder})
    endwhile()
  endforeach()
  add_custom_target(${target} ${commands} VERBATIM)
endfunction()

function(trovex_install_qt_runtime)
  foreach(library IN LISTS trovex_qt_libraries)
    install(FILES $<TARGET_FILE:${library}> DESTINATION .)
  endforeach()
  install(FILES ${trovex_mingw_runtime} DESTINATION .)
  set(plugins ${trovex_qt_plugins})
  while(plugins)
    list(POP_FRONT plugins plugin subfolder)
    install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${subfolder})
  endwhile()
endfunction()
