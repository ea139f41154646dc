# The Windows program folder (cmake --install): the two executables with the
# Qt and MinGW runtime DLLs they load, Qt's plugins in folders beside them
# (Qt looks in the executable's folder), and the default data in defaults/,
# which an install fills the user's program directory from. The installer and
# the portable zip are made from this folder by scripts/windows/build.sh.
install(TARGETS gravik gravik-print RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/defaults/ DESTINATION defaults)

get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin ${qt_core_dll} DIRECTORY)
get_filename_component(qt_prefix ${qt_bin} DIRECTORY)
foreach(m Core Gui Widgets PrintSupport Sql)
  install(FILES ${qt_bin}/Qt6${m}.dll DESTINATION .)
endforeach()
foreach(plugin platforms/qwindows styles/qwindowsvistastyle imageformats/qjpeg sqldrivers/qsqlite)
  get_filename_component(folder ${plugin} DIRECTORY)
  install(FILES ${qt_prefix}/plugins/${plugin}.dll DESTINATION ${folder})
endforeach()

# The compiler's own runtime, which the Qt DLLs need as well.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}")
    message(FATAL_ERROR "The MinGW runtime ${dll} was not found")
  endif()
  install(FILES ${found} DESTINATION .)
endforeach()
