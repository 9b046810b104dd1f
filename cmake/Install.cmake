include(CMakePackageConfigHelpers)

# The Qt 6 build installs as a package of its own beside the Qt 5 one; both
# install the same Qt-free support library and the same headers.
if(RURUROR_QT_MAJOR STREQUAL "5")
  set(RURUROR_PACKAGE RurUrOro)
else()
  set(RURUROR_PACKAGE RurUrOroQt${RURUROR_QT_MAJOR})
endif()
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${RURUROR_PACKAGE})

install(TARGETS rururoro ruziradavod EXPORT ${RURUROR_PACKAGE}Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT ${RURUROR_PACKAGE}Targets NAMESPACE ${RURUROR_PACKAGE}:: DESTINATION ${package_dir})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/RurUrOroConfig.cmake.in
  ${PROJECT_BINARY_DIR}/${RURUROR_PACKAGE}Config.cmake
  INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/${RURUROR_PACKAGE}ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/${RURUROR_PACKAGE}Config.cmake
  ${PROJECT_BINARY_DIR}/${RURUROR_PACKAGE}ConfigVersion.cmake DESTINATION ${package_dir})

configure_file(${PROJECT_SOURCE_DIR}/cmake/rururoro.pc.in ${PROJECT_BINARY_DIR}/rururoro${RURUROR_NAME_SUFFIX}.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/rururoro${RURUROR_NAME_SUFFIX}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
