# Rules that rebuild the 6510 binaries (the example tune and the built-in MUS
# player) from their assembly sources when an assembler is installed.
# Debian's "acme" package provides it (scripts/setup.sh installs it); without
# it the committed binaries are used as they are and the checks that compare
# them with their sources are skipped.
find_program(NOTECAST_ACME acme)
if(NOT NOTECAST_ACME)
  message(STATUS "acme not found: the 6510 assembly sources cannot be rebuilt")
endif()
