# What `cmake --install` puts where (see the top of CMakeLists.txt for the
# folders). Tests, benchmarks, fuzz targets and static libraries stay in the
# build tree.
if(NOT Qt6_FOUND)
  return()
endif()

set(tallyline_programs portdeck patchwell patchwell-site linescope tallysim)
set(tallyline_libraries tlplatform quillon mantlet gantry sprocket wicket tessel patchwell_engine csh)

# Installed programs find the platform library in the private folder; the
# libraries there find each other beside themselves.
set_target_properties(${tallyline_programs} PROPERTIES INSTALL_RPATH "$ORIGIN/${TALLYLINE_BIN_TO_LIBDIR}")
set_target_properties(${tallyline_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS ${tallyline_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${tallyline_libraries} LIBRARY DESTINATION ${TALLYLINE_INSTALL_LIBDIR})

# Data: the dictionary, the help pages, Patchwell's language, registration and
# animation files, the sample update site. The pictures are compiled in.
install(FILES ${CMAKE_BINARY_DIR}/bin/pd30dic.mld DESTINATION ${TALLYLINE_INSTALL_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help ${PROJECT_SOURCE_DIR}/resources/updatesite
        DESTINATION ${TALLYLINE_INSTALL_DATADIR})
file(GLOB patchwell_install_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/patchwell/*)
# The registration files as the engine's build writes them: with the
# publisher's update key when one is set (engine/CMakeLists.txt).
get_property(registration_sources GLOBAL PROPERTY TALLYLINE_REGISTRATION_SOURCES)
get_property(registration_installed GLOBAL PROPERTY TALLYLINE_REGISTRATION_INSTALLED)
list(REMOVE_ITEM patchwell_install_files ${registration_sources})
install(FILES ${patchwell_install_files} ${registration_installed} DESTINATION ${TALLYLINE_INSTALL_DATADIR})

# Menu entries, icons, AppStream metadata and the manual pages.
add_subdirectory(resources/desktop)
install(FILES docs/man/portdeck.1 docs/man/patchwell.1 docs/man/patchwell-site.1 docs/man/linescope.1 docs/man/tallysim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# `cpack -G DEB` in the build directory: one package of what is installed above.
# dpkg-shlibdeps derives the Qt and C++ runtime packages from the programs and
# libraries; Qt's platform plugins and the SVG image plugin (the pictures) are
# loaded at run time, so their packages are named here.
set(CPACK_PACKAGE_NAME tallyline)
set(CPACK_PACKAGE_VENDOR Varnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tallyline developers <tallyline@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Manager for Varnel Tallyline modems and ISDN terminal adapters")
set(CPACK_PACKAGE_DESCRIPTION "Portdeck finds the Tallyline devices on the serial ports and configures them;\n\
Patchwell keeps them and their software up to date; Linescope decodes the\n\
ISDN adapter's event captures; tallysim emulates the devices.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${TALLYLINE_INSTALL_LIBDIR})
# The screens are laid out for Arial; Liberation Sans has its widths.
# patchwell-site signs with minisign.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-liberation2, minisign")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
