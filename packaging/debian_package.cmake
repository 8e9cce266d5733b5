# corvane-cli as a Debian package (cpack -G DEB in a native tree configured
# with CORVANE_PACKAGE=ON; tools/release.sh does it): the program, its man
# page made from its help texts, the udev rule for the card writer and the
# licence.
install(TARGETS corvane-cli RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/60-corvane-card-writer.rules DESTINATION lib/udev/rules.d)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION share/doc/corvane-cli RENAME copyright)

option(CORVANE_PACKAGE "Make corvane-cli's man page for the Debian package (needs help2man)" OFF)
if(CORVANE_PACKAGE)
  find_program(HELP2MAN help2man REQUIRED)
  set(man_page ${CMAKE_BINARY_DIR}/corvane-cli.1.gz)
  add_custom_command(OUTPUT ${man_page}
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make_man_page.sh $<TARGET_FILE:corvane-cli>
      ${CMAKE_SOURCE_DIR}/packaging/60-corvane-card-writer.rules ${man_page}
    DEPENDS corvane-cli ${CMAKE_SOURCE_DIR}/packaging/make_man_page.sh
    COMMENT "corvane-cli's man page from its help texts")
  add_custom_target(corvane_man_page ALL DEPENDS ${man_page})
  install(FILES ${man_page} DESTINATION share/man/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quellbrook)
set(CPACK_PACKAGE_CONTACT Quellbrook)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare sample cards for the Corvane card writer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "corvane-cli fills the 64 KiB sample card of a vintage hardware sampler from
WAV, AIFF and AIFC files: up to eight instruments, resampled to 37908 Hz,
trimmed, shaped with decay and boost, kept in a card-file (.vxcor), written
as a card image or sent through the USB card writer. A udev rule lets the
user at the console and members of plugdev use the writer without root.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies (libusb, the C and C++ runtimes) as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Every file and folder dated SOURCE_DATE_EPOCH: two builds of one commit
# give the same package.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/date_package_files.cmake)
include(CPack)
