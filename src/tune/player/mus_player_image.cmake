# Assembles the MUS player and turns the result (load address, then the
# image) into the C++ header that embeds it.
#
#   cmake -DACME=<acme> -DSOURCE=<mus_player.asm> -DHEADER=<MusPlayerImage.h>
#         -DWORK=<scratch dir> -DMODE=write|check -P mus_player_image.cmake
#
# MODE=write rewrites the header when it differs; MODE=check fails when the
# committed header is not what the source assembles to.

if(NOT ACME OR ACME MATCHES "NOTFOUND$")
  message("assembler not installed: the player image cannot be checked")
  return()
endif()

file(MAKE_DIRECTORY "${WORK}")
set(binary "${WORK}/mus_player.prg")
file(REMOVE "${binary}")
execute_process(COMMAND "${ACME}" -f cbm -o "${binary}" "${SOURCE}"
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0 OR NOT EXISTS "${binary}")
  message(FATAL_ERROR "acme failed on ${SOURCE}:\n${out}")
endif()

file(READ "${binary}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Load address $C000, then $C000-$CCAE.
if(NOT size EQUAL 3249 OR NOT hex MATCHES "^00c0")
  message(FATAL_ERROR "the player must assemble to $C000-$CCAE (got ${size} bytes with its load address)")
endif()

string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")
set(row "")
foreach(i RANGE 11)
  string(APPEND row "0x.., ")
endforeach()
string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
string(REGEX REPLACE " +\n" "\n" bytes "${bytes}")
string(REGEX REPLACE "[ \n]+$" "" bytes "${bytes}")

set(text "// Generated from src/tune/player/mus_player.asm by the mus_player_image
// target (src/tune/player/mus_player_image.cmake). Do not edit: change the
// source and rebuild that target.
#pragma once
#include <cstdint>

namespace notecast {

// The built-in MUS player as the assembler writes it: the load address $C000
// (little-endian), then the ${size} - 2 bytes that run from there.
inline constexpr std::uint8_t kMusPlayerFile[] = {
    ${bytes}
};

} // namespace notecast
")
string(REPLACE "${size} - 2" "3247" text "${text}")

if(EXISTS "${HEADER}")
  file(READ "${HEADER}" committed)
else()
  set(committed "")
endif()

if(MODE STREQUAL "check")
  if(NOT committed STREQUAL text)
    message(FATAL_ERROR "${HEADER} is not what ${SOURCE} assembles to: "
      "build the mus_player_image target and commit the header")
  endif()
  message("player image matches its source (${size} bytes)")
elseif(NOT committed STREQUAL text)
  file(WRITE "${HEADER}" "${text}")
  message("wrote ${HEADER}")
endif()
