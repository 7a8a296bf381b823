# Rules that rebuild the 6510 binaries (the example tune and the built-in MUS
# player) from their assembly sources when an assembler is installed.
find_program(NOTECAST_ACME acme)
