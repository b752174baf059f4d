# Installation: the library, its public headers, the command-line host, every
# plug-in and the installation data under one prefix, with a CMake package and
# a pkg-config file. Nothing installed names the prefix: the package, the .pc
# file, the host's run path and the library's own search for its plug-ins and
# data are all relative, so the tree can be moved after installation.
include(CMakePackageConfigHelpers)

set(H2_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/halvorine2)

install(TARGETS halvorine2 EXPORT halvorine2Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/halvorine2 DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h" PATTERN "*.def")

# The host finds the library beside it in the prefix, wherever that lands.
file(RELATIVE_PATH h2_bin_to_lib /h2prefix/${CMAKE_INSTALL_BINDIR} /h2prefix/${CMAKE_INSTALL_LIBDIR})
set_target_properties(halvorine2_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${h2_bin_to_lib}")
install(TARGETS halvorine2_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Every plug-in target made by h2_plugin() joins H2_PLUGIN_TARGETS, so a new
# plug-in is installed with no change here.
get_property(h2_installed_plugins GLOBAL PROPERTY H2_PLUGIN_TARGETS)
install(TARGETS ${h2_installed_plugins} LIBRARY DESTINATION ${H2_INSTALL_PLUGINDIR})

# Installation data: everything the build writes into build/data (section
# models, atlases), and every source file a CMakeLists adds to the global
# property H2_DATA_FILES (installed flat into the data folder).
install(DIRECTORY ${PROJECT_BINARY_DIR}/data/ DESTINATION ${H2_INSTALL_DATADIR})
get_property(h2_data_files GLOBAL PROPERTY H2_DATA_FILES)
if(h2_data_files)
  install(FILES ${h2_data_files} DESTINATION ${H2_INSTALL_DATADIR})
endif()

# CMake package: find_package(halvorine2) gives halvorine2::halvorine2.
install(EXPORT halvorine2Targets NAMESPACE halvorine2:: DESTINATION ${H2_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/halvorine2Config.cmake.in
  ${PROJECT_BINARY_DIR}/cmake/halvorine2Config.cmake INSTALL_DESTINATION ${H2_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/halvorine2ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmake/halvorine2Config.cmake
              ${PROJECT_BINARY_DIR}/cmake/halvorine2ConfigVersion.cmake
        DESTINATION ${H2_INSTALL_CMAKEDIR})

# pkg-config: the prefix is found from the .pc file's own folder.
set(h2_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH h2_pc_to_prefix /h2prefix/${h2_pc_dir} /h2prefix)
string(REGEX REPLACE "/$" "" h2_pc_to_prefix "${h2_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/halvorine2.pc.in ${PROJECT_BINARY_DIR}/cmake/halvorine2.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/cmake/halvorine2.pc DESTINATION ${h2_pc_dir})
