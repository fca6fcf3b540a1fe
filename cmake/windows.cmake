# Windows targets: the program, its Win32 library and the tests that need real windows.
enable_language(RC)

# The manifest names the target's architecture. MSVC reports the one it
# compiles for; CMAKE_SYSTEM_PROCESSOR is the build host's in a native build.
if(MSVC)
  set(vireon_target_arch ${CMAKE_CXX_COMPILER_ARCHITECTURE_ID})
else()
  set(vireon_target_arch ${CMAKE_SYSTEM_PROCESSOR})
endif()
if(vireon_target_arch MATCHES "ARM64|aarch64")
  set(VIREON_MANIFEST_ARCH arm64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VIREON_MANIFEST_ARCH amd64)
else()
  set(VIREON_MANIFEST_ARCH x86)
endif()
set(VIREON_GEN_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(res/vireon.manifest.in ${VIREON_GEN_DIR}/vireon.manifest @ONLY)
configure_file(res/version.h.in ${VIREON_GEN_DIR}/version.h @ONLY)

set(VIREON_RC ${CMAKE_SOURCE_DIR}/res/vireon.rc)
set_source_files_properties(${VIREON_RC} PROPERTIES
  OBJECT_DEPENDS "${VIREON_GEN_DIR}/vireon.manifest;${VIREON_GEN_DIR}/version.h;${CMAKE_SOURCE_DIR}/res/vireon.ico;${CMAKE_SOURCE_DIR}/res/resource.h")

# Resources live in each executable: a .res inside a static library is never pulled in.
function(vireon_add_resources target)
  target_sources(${target} PRIVATE ${VIREON_RC})
  target_include_directories(${target} PRIVATE res ${VIREON_GEN_DIR})
endfunction()

add_library(vireon_win STATIC
  src/win/back_buffer.cpp
  src/win/dialog.cpp
  src/win/message_box.cpp
  src/win/gdiplus_flat.cpp
  src/win/system_library.cpp
  src/win/dpi.cpp
  src/win/file.cpp
  src/win/dwm.cpp
  src/win/frame_clock.cpp
  src/win/session.cpp
  src/win/next_window.cpp
  src/win/screen.cpp
  src/trail/trail_renderer.cpp
  src/overlay/fading_layer.cpp
  src/overlay/ring_windows.cpp
  src/overlay/halo_window.cpp
  src/overlay/monitor_win.cpp
  src/settings/settings_file.cpp
  src/app/process_modes.cpp
  src/app/lodestar_app.cpp
  src/win/data_exchange.cpp
  src/ui/control_dlg.cpp
  src/ui/lodestar_dlg.cpp
  src/ui/hotkey_ex_ctrl.cpp
  src/ui/propaty_dlg.cpp
  src/ui/about_dlg.cpp
  src/ui/home_page_link.cpp
)
target_include_directories(vireon_win PUBLIC src res ${VIREON_GEN_DIR})
# Only KnownDLLs and comctl32 (which the manifest redirects) are imported;
# gdiplus, version and dwmapi are loaded from System32 at run time.
target_link_libraries(vireon_win PUBLIC vireon_pure comctl32 ole32 shell32 gdi32 user32)
target_link_libraries(vireon_win PRIVATE vireon_warnings)

# The program itself.
add_executable(Vireon WIN32 src/app/main.cpp)
vireon_add_resources(Vireon)
target_link_libraries(Vireon PRIVATE vireon_win vireon_warnings)
if(MSVC)
  # The exe's own static imports resolved from System32 only, from Windows 10
  # 1607 on ("/DEPENDENTLOADFLAG", Microsoft Docs). GNU ld 2.40 cannot set the
  # load configuration's field; there every import is a KnownDLL or comctl32.
  target_link_options(Vireon PRIVATE /DEPENDENTLOADFLAG:0x800)
endif()
if(MINGW)
  # Stripped, and without the link time in the header, so a commit always builds the same bytes.
  target_link_options(Vireon PRIVATE -municode -s -Wl,--no-insert-timestamp)
endif()


if(VIREON_BUILD_TESTS)
  add_executable(win_tests
    tests/win/win_test_main.cpp
    tests/win/test_support.cpp
    tests/win/renderer_test.cpp
    tests/win/overlay_test.cpp
    tests/win/fading_overlay_test.cpp
    tests/win/settings_file_test.cpp
    tests/win/settings_save_test.cpp
    tests/win/process_modes_test.cpp
    tests/win/control_panel_test.cpp
    tests/win/main_window_test.cpp
    tests/win/settings_dialog_test.cpp
    tests/win/hotkey_field_test.cpp
    tests/win/panel_settings_test.cpp
    tests/win/modal_script.cpp
    tests/win/about_test.cpp
    tests/win/robustness_test.cpp
    tests/win/high_dpi_test.cpp
    tests/win/next_window_test.cpp
  )
  vireon_add_resources(win_tests)
  target_include_directories(win_tests PRIVATE tests/support)
  target_link_libraries(win_tests PRIVATE vireon_win vireon_warnings GTest::gtest version)
  # Tests that move the real pointer or type real keys, labelled so that a run
  # on a desktop in use can leave them out (ctest -LE input).
  set(input_tests "HotKeyField.*:ControlPanelTest.StartsReleased*:ControlPanelTest.SwitchingOn*:MainWindowTest.ModalRunKeepsThePanelTimerGoing*")
  add_test(NAME win_tests COMMAND win_tests --gtest_filter=-${input_tests})
  add_test(NAME win_tests_input COMMAND win_tests --gtest_filter=${input_tests})
  set_tests_properties(win_tests_input PROPERTIES LABELS input)

  # The second Wine prefix reports 144 DPI, as Windows does at 150 % to a
  # DPI-aware program; the HighDpi tests skip themselves at any other DPI.
  set(vireon_prefix_144 ${CMAKE_SOURCE_DIR}/build/wineprefix-144)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME win_tests_144dpi COMMAND win_tests --gtest_filter=HighDpi*)
    set_tests_properties(win_tests_144dpi PROPERTIES ENVIRONMENT "WINEPREFIX=${vireon_prefix_144}")

    # The same windows in English (United States): Wine's resource loader
    # takes the interface language from the locale scripts/wine-run sets, and
    # any but Japanese gives the English resources.
    set(vireon_english "VIREON_LANG=C.UTF-8")
    add_test(NAME win_tests_en COMMAND win_tests --gtest_filter=-${input_tests})
    add_test(NAME win_tests_input_en COMMAND win_tests --gtest_filter=${input_tests})
    add_test(NAME win_tests_144dpi_en COMMAND win_tests --gtest_filter=HighDpi*)
    set_tests_properties(win_tests_en PROPERTIES ENVIRONMENT "${vireon_english}")
    set_tests_properties(win_tests_input_en PROPERTIES LABELS input ENVIRONMENT "${vireon_english}")
    set_tests_properties(win_tests_144dpi_en PROPERTIES ENVIRONMENT
      "WINEPREFIX=${vireon_prefix_144};${vireon_english}")
  endif()

  # The in-process soak: long, so a test of its own.
  add_executable(soak_tests tests/soak/soak_test.cpp tests/win/win_test_main.cpp tests/win/test_support.cpp)
  vireon_add_resources(soak_tests)
  target_include_directories(soak_tests PRIVATE tests/win)
  target_link_libraries(soak_tests PRIVATE vireon_win vireon_warnings GTest::gtest psapi)
  add_test(NAME soak COMMAND soak_tests)
  set_tests_properties(soak PROPERTIES TIMEOUT 1200)

  # A version block without a product version, for the version-text tests.
  add_library(version_probe MODULE tests/win/version_probe.cpp tests/win/version_probe.rc)
  set_target_properties(version_probe PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_libraries(version_probe PRIVATE vireon_warnings)
  add_dependencies(win_tests version_probe)

  # The glass branch as older systems see it: the Wine prefix reports Windows 7
  # and XP to these copies of the test executable (AppDefaults), so they only
  # mean something where the tests run under Wine.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    foreach(system win7 winxp)
      add_custom_command(TARGET win_tests POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:win_tests> ${CMAKE_BINARY_DIR}/win_tests_${system}.exe)
      add_test(NAME glass_${system}
        COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${CMAKE_BINARY_DIR}/win_tests_${system}.exe
                --gtest_filter=MainWindowTest.Glass*)
    endforeach()
  endif()
endif()

# DLLs of the names the program uses, to be planted beside a copy of it.
if(VIREON_BUILD_TESTS)
  foreach(name version gdiplus)
    add_library(planted_${name} MODULE tests/e2e/planted/planted_main.cpp tests/e2e/planted/planted_${name}.cpp)
    set_target_properties(planted_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
    target_link_libraries(planted_${name} PRIVATE vireon_warnings)
    add_dependencies(win_tests planted_${name})
  endforeach()
endif()

# End to end: the shipped exe on the test display, driven by xdotool.
if(VIREON_BUILD_TESTS AND CMAKE_HOST_UNIX)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME e2e COMMAND ${Python3_EXECUTABLE} -m unittest -v test_e2e
             WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
    set_tests_properties(e2e PROPERTIES TIMEOUT 600 LABELS input ENVIRONMENT
      "VIREON_EXE=$<TARGET_FILE:Vireon>;VIREON_PLANTED=${CMAKE_BINARY_DIR}/planted")
    add_test(NAME e2e_144dpi COMMAND ${Python3_EXECUTABLE} -m unittest -v
             test_e2e.EndToEnd.test_every_drawing_mode_through_every_flow
             test_e2e.EndToEnd.test_settings_dialog_choices_are_saved_and_drawn
             WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
    # At 150 %, the flows in one mode of each way of showing the trail (colour key, per-pixel alpha).
    set_tests_properties(e2e_144dpi PROPERTIES TIMEOUT 300 LABELS input ENVIRONMENT
      "VIREON_EXE=$<TARGET_FILE:Vireon>;WINEPREFIX=${vireon_prefix_144};VIREON_E2E_MODES=0,4")
    # Two monitors, the second left of the primary: the test starts a display
    # of its own (Xephyr in Xvfb) for the prefix that sees both.
    add_test(NAME e2e_two_monitors COMMAND ${Python3_EXECUTABLE} -m unittest -v test_monitors
             WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
    set_tests_properties(e2e_two_monitors PROPERTIES TIMEOUT 300 LABELS input ENVIRONMENT
      "VIREON_EXE=$<TARGET_FILE:Vireon>;VIREON_WINEPREFIX_2MON=${CMAKE_SOURCE_DIR}/build/wineprefix-2mon")
  endif()
endif()

# The tick benchmark: prints figures, asserts nothing (scripts/measure.sh runs it).
add_executable(tick_bench bench/tick_bench.cpp)
vireon_add_resources(tick_bench)
target_link_libraries(tick_bench PRIVATE vireon_win vireon_warnings psapi)
if(MINGW)
  target_link_options(tick_bench PRIVATE -municode)
endif()
