# What `cmake --install` (and a package built from it) puts where: the three
# programs in bin/, our build of the outside audio library in a private
# library folder that the engine finds from its own folder, the desktop
# entries, the file type and its icon, and the demo game under share/.

include(GNUInstallDirs)

install(TARGETS tideglass tgpack tgdatmaker RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The engine looks for the library beside itself first, then here; the path
# from bin/ is built in, so any prefix works.
set(TG_BASS_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tideglass)
file(RELATIVE_PATH tg_bass_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/tideglass)
target_compile_definitions(sound PRIVATE TG_BASS_PRIVATE_DIR="${tg_bass_from_bin}")
install(TARGETS bass LIBRARY DESTINATION ${TG_BASS_INSTALL_DIR})

# The association files the engine writes for a user when it is not
# installed, from the same sources; installed, the entry runs the engine
# found on the PATH and shows in the menus.
set(EXEC tideglass)
configure_file(${PROJECT_SOURCE_DIR}/platform/association/tideglass.desktop.in
               ${PROJECT_BINARY_DIR}/share/tideglass.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/share/tideglass.desktop apps/tgpack.desktop apps/tgdatmaker.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES platform/association/tideglass.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES platform/icons/tideglass.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)

# The demo game, to play with `tideglass <prefix>/share/tideglass/demo/demo.tgs`;
# not the programs that made its pictures and sounds.
install(DIRECTORY examples/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tideglass/demo
        PATTERN maker EXCLUDE PATTERN "*.py" EXCLUDE)
