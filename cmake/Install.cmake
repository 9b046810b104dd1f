include(CMakePackageConfigHelpers)

install(TARGETS rururoro ruziradavod EXPORT RurUrOroTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT RurUrOroTargets NAMESPACE RurUrOro:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/RurUrOro)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/RurUrOroConfig.cmake.in
  ${PROJECT_BINARY_DIR}/RurUrOroConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/RurUrOro)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/RurUrOroConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/RurUrOroConfig.cmake ${PROJECT_BINARY_DIR}/RurUrOroConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/RurUrOro)

configure_file(${PROJECT_SOURCE_DIR}/cmake/rururoro.pc.in ${PROJECT_BINARY_DIR}/rururoro.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/rururoro.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
