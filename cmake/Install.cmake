# Installing the Linux programs and packaging them as a .deb.
#
# `cmake --install build --prefix /usr/local` (or `make install`, which honours DESTDIR) puts
# the four programs in bin, a menu entry for each deliverable, the icon in the hicolor theme,
# the manual page and the documentation under share. `make package` runs CPack's DEB
# generator on the same rules, with the dependencies that dpkg-shlibdeps finds.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The directories the install puts files in, and those on the way to them below the prefix.
# The ones it has to make are made with the umask's permissions (under umask 077, for root
# alone); they are set to 0755 at the end, as every package has them. Those that were there
# already keep theirs.
set(installed_directories)
foreach(directory ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo
    ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
    ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps ${CMAKE_INSTALL_MANDIR}/man6 ${CMAKE_INSTALL_DOCDIR}
    ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver ${CMAKE_INSTALL_DATADIR}/xscreensaver/config
    ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
  while(NOT directory STREQUAL "" AND NOT directory STREQUAL ".")
    list(APPEND installed_directories ${directory})
    get_filename_component(directory ${directory} DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES installed_directories)
install(CODE "
  set(vellum_made_directories)
  foreach(directory ${installed_directories})
    if(NOT EXISTS \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${directory}\")
      list(APPEND vellum_made_directories \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${directory}\")
    endif()
  endforeach()")

foreach(resolution IN LISTS VELLUM_RESOLUTIONS)
  vellum_resolution(resolution)
  install(TARGETS vellum-${SUFFIX} vellum-capture-${SUFFIX} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The C library's start-up objects still carry the compiler's identification; it has no use
  # in an installed program.
  foreach(program vellum-${SUFFIX} vellum-capture-${SUFFIX})
    add_custom_command(TARGET ${program} POST_BUILD COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:${program}>)
  endforeach()
  configure_file(packaging/vellum.desktop.in vellum-${SUFFIX}.desktop @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/vellum-${SUFFIX}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endforeach()
# The X screen saver's hack where the saver looks for hacks, its settings description, and an
# entry where the MATE and Xfce savers look.
add_custom_command(TARGET vellum-screensaver POST_BUILD COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:vellum-screensaver>)
install(TARGETS vellum-screensaver RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(CODE "file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/vellum-screensaver\"
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/vellum\")")
install(FILES packaging/screensaver/vellum.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES packaging/screensaver/vellum.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)

foreach(size 48 128 256)
  install(FILES packaging/icons/vellum-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME vellum.png)
endforeach()

# The manual page and the changelog, compressed as Debian wants them (no name or time stamp
# in the gzip header, so the package is reproducible). Each program's name is a link to the
# one page that covers all four.
set(VERSION ${PROJECT_VERSION})
configure_file(packaging/vellum.6 vellum.6 @ONLY)
configure_file(packaging/changelog changelog @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT vellum.6.gz changelog.gz
  COMMAND ${GZIP} -9n -c vellum.6 > vellum.6.gz
  COMMAND ${GZIP} -9n -c changelog > changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/vellum.6 ${PROJECT_BINARY_DIR}/changelog)
add_custom_target(compressed-docs ALL DEPENDS vellum.6.gz changelog.gz)
set(man6 ${CMAKE_INSTALL_MANDIR}/man6)
list(GET VELLUM_LINUX_PROGRAMS 0 first)
install(FILES ${PROJECT_BINARY_DIR}/vellum.6.gz DESTINATION ${man6} RENAME ${first}.6.gz)
foreach(program IN LISTS VELLUM_LINUX_PROGRAMS)
  if(NOT program STREQUAL first)
    install(CODE "file(CREATE_LINK ${first}.6.gz \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${man6}/${program}.6.gz\" SYMBOLIC)")
  endif()
endforeach()
install(FILES README.md packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog again, for the RPM (newest first, each entry headed by its date, author and
# version), and the date of this release for the AppStream metadata, which software centres
# read from /usr/share/metainfo.
file(STRINGS ${PROJECT_BINARY_DIR}/changelog changelog_lines)
set(rpm_changelog "")
set(entry "")
set(RELEASE_DATE "")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^vellum \\(([^)]*)\\)")
    set(entry_version ${CMAKE_MATCH_1})
  elseif(line MATCHES "^  \\* (.*)")
    string(APPEND entry "- ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^    (.*)")
    string(APPEND entry "  ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ -- (.*)  ([A-Z][a-z][a-z]), ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])")
    string(APPEND rpm_changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} ${CMAKE_MATCH_5} ${CMAKE_MATCH_1}"
      " - ${entry_version}-1\n${entry}\n")
    if(RELEASE_DATE STREQUAL "")
      list(FIND months ${CMAKE_MATCH_4} month)
      math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
      string(LENGTH "${month}" digits)
      if(digits EQUAL 1)
        set(month 0${month})
      endif()
      set(RELEASE_DATE "${CMAKE_MATCH_5}-${month}-${CMAKE_MATCH_3}")
    endif()
    set(entry "")
  endif()
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/rpm-changelog "${rpm_changelog}")
configure_file(packaging/vellum.metainfo.xml.in org.example.vellum.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.example.vellum.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(CODE "
  foreach(directory IN LISTS vellum_made_directories)
    file(CHMOD \"\${directory}\" DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()")

# `make package` writes the .deb; `make release` also an .rpm for Fedora and openSUSE from the
# same rules (cpack -G RPM), its library requirements found by rpmbuild.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Vellum developers <vellum@vellum.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "still picture shown full-screen, exact to the last bit")
set(CPACK_PACKAGE_DESCRIPTION "Vellum shows one still picture full-screen until Escape is pressed: a
castle on a hill and a dark winged creature before it, drawn with OpenGL 255
times under tiny random shifts and averaged, then vignetted and grained. Every
number in that chain is fixed: with Mesa's software rasteriser on x86-64 the
picture is the same to the last bit on every run; other OpenGL drivers (GPUs)
may draw its edges a few levels apart.

A program for each resolution shows it:
${VELLUM_SHOWN_AT}.
A capture tool for each (vellum-capture- and the same suffix) writes the
same frame, or a step of its making, as PNG.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_SUMMARY "Still picture shown full-screen, exact to the last bit")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_GROUP "Amusements/Graphics")
set(CPACK_RPM_PACKAGE_URL "https://vellum.example.org/")
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
set(CPACK_RPM_PACKAGE_AUTOPROV OFF)
set(CPACK_RPM_PACKAGE_VENDOR "The Vellum authors")
set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
# The menu entries, icons and manual page work only under /usr.
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_PACKAGE_RELOCATABLE OFF)
# The directories the files go into belong to the system, not to this package.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/applications /usr/share/icons /usr/share/icons/hicolor
  /usr/share/icons/hicolor/48x48 /usr/share/icons/hicolor/48x48/apps /usr/share/icons/hicolor/128x128
  /usr/share/icons/hicolor/128x128/apps /usr/share/icons/hicolor/256x256 /usr/share/icons/hicolor/256x256/apps
  /usr/share/man /usr/share/man/man6 /usr/share/doc /usr/share/metainfo)
# Reproducible: every file dated SOURCE_DATE_EPOCH (rpm would only clamp the newer ones, and
# installing keeps the sources' own times), no build host, no build-id links.
set(CPACK_RPM_SPEC_INSTALL_POST
  "test -z $SOURCE_DATE_EPOCH || find %{buildroot} -exec touch -h -d @$SOURCE_DATE_EPOCH {} +")
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _build_id_links none
%define debug_package %{nil}
%define packager ${CPACK_PACKAGE_CONTACT}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
