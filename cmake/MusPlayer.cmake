# The built-in MUS player: 6510 source assembled with acme into the image the
# program embeds through a generated header that is committed, so that a
# build needs no assembler. `mus_player_image` regenerates the header; the
# test checks that the committed header is what the source assembles to
# (skipped where acme is not installed).
set(NOTECAST_MUS_PLAYER_ARGS
  -DACME=${NOTECAST_ACME}
  -DSOURCE=${PROJECT_SOURCE_DIR}/src/tune/player/mus_player.asm
  -DHEADER=${PROJECT_SOURCE_DIR}/src/tune/MusPlayerImage.h
  -DWORK=${PROJECT_BINARY_DIR}/mus_player)
set(NOTECAST_MUS_PLAYER_SCRIPT ${PROJECT_SOURCE_DIR}/src/tune/player/mus_player_image.cmake)

if(NOTECAST_ACME)
  add_custom_target(mus_player_image
    COMMAND ${CMAKE_COMMAND} ${NOTECAST_MUS_PLAYER_ARGS} -DMODE=write -P ${NOTECAST_MUS_PLAYER_SCRIPT}
    SOURCES ${PROJECT_SOURCE_DIR}/src/tune/player/mus_player.asm
    COMMENT "Assembling the MUS player into src/tune/MusPlayerImage.h"
    VERBATIM)
endif()

if(NOTECAST_TESTS)
  enable_testing()
  add_test(NAME mus_player_image_matches_source
    COMMAND ${CMAKE_COMMAND} ${NOTECAST_MUS_PLAYER_ARGS} -DMODE=check -P ${NOTECAST_MUS_PLAYER_SCRIPT})
  set_tests_properties(mus_player_image_matches_source PROPERTIES
    SKIP_REGULAR_EXPRESSION "assembler not installed")
endif()
