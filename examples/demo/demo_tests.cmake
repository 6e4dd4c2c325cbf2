# The demo run headless for a few frames, its screenshot compared with the
# offline frame (the demo's exit status). Screens of 16 and 24 bits: the
# same frame must arrive as 565 and as 888. Display runs get an Xvfb server
# of their own and are skipped (77) when none can be started.
set(vc15_xvfb ${PROJECT_SOURCE_DIR}/tests/ddraw_display/run-with-xvfb.sh)
set(vc15_skip_without_display [=[[ -z "$VC15_DISPLAY_UNAVAILABLE" ] || { echo "no display: $VC15_DISPLAY_UNAVAILABLE"; exit 77; }; exec "$@"]=])

if(DEFINED ENV{HOME})
  set(vc15_demo_wineprefix $ENV{HOME}/.cache/vc15-wine-demo)
else()
  set(vc15_demo_wineprefix /tmp/.cache/vc15-wine-demo)
endif()

# vc15_demo_test(name screen command...): the command under Xvfb with that screen.
function(vc15_demo_test name screen)
  add_test(NAME ${name} COMMAND ${vc15_xvfb} sh -c "${vc15_skip_without_display}" sh ${ARGN})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 LABELS demo
                       ENVIRONMENT "VC15_XVFB_SCREEN=${screen};VC15_DISPLAY_WINEPREFIX=${vc15_demo_wineprefix}"
                       # One Wine prefix for the demo runs: its server is stopped after each.
                       RESOURCE_LOCK vc15_demo_display)
endfunction()

set(shot ${CMAKE_CURRENT_BINARY_DIR}/screenshot)
if(CMAKE_CROSSCOMPILING)
  # The exclusive mode needs 640 x 480 among the modes; the windowed one a
  # screen larger than the window.
  foreach(depth 16 24)
    vc15_demo_test(demo_wine_windowed_${depth} 800x600x${depth} ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:vc15_demo> --frames 8 --mode windowed --screenshot ${shot}_windowed_${depth}.png)
    vc15_demo_test(demo_wine_exclusive_${depth} 640x480x${depth} ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:vc15_demo> --frames 8 --mode exclusive --screenshot ${shot}_exclusive_${depth}.png)
  endforeach()
else()
  foreach(mode windowed exclusive)
    add_test(NAME demo_standin_${mode}
             COMMAND vc15_demo --backend ddraw --frames 8 --mode ${mode} --screenshot ${shot}_standin_${mode}.png)
    set_tests_properties(demo_standin_${mode} PROPERTIES LABELS demo)
  endforeach()
  if(VC15_DEMO_SDL2_FOUND AND NOT VC15_SANITIZE)
    # (The X and SDL2 libraries are not built with the sanitizers.)
    foreach(depth 16 24)
      vc15_demo_test(demo_sdl_${depth} 800x600x${depth} $<TARGET_FILE:vc15_demo> --backend sdl --frames 8
                     --screenshot ${shot}_sdl_${depth}.png)
    endforeach()
    vc15_demo_test(demo_sdl_fullscreen_16 640x480x16 $<TARGET_FILE:vc15_demo> --backend sdl --frames 8
                   --mode exclusive --screenshot ${shot}_sdl_fullscreen_16.png)
  endif()
endif()
