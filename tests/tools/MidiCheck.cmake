# The written MIDI files, read back by a strict parser of the check script and
# by the mido library (Debian's python3-mido, which installs for the system
# Python): a self-test of the check, then every shared PSID tune converted
# with the default options and with each option of a sweep, and with -daw.
# The tests report themselves skipped (exit code 77) when mido or the tunes
# are absent.
if(EXISTS /usr/bin/python3)
  set(NOTECAST_CHECK_PYTHON /usr/bin/python3)
else()
  find_program(NOTECAST_CHECK_PYTHON python3)
endif()

if(NOTECAST_CHECK_PYTHON)
  set(check_midi ${CMAKE_CURRENT_LIST_DIR}/check_midi.py)
  add_test(NAME midi_check_selftest COMMAND ${NOTECAST_CHECK_PYTHON} ${check_midi} selftest)
  add_test(NAME midi_files_from_shared_tunes
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_midi} sweep $<TARGET_FILE:notecast>
            ${NOTECAST_SHARED_DIR}/testdata/psid 60 20)
  # With -daw: every PSID tune gives a format-1 file with named tracks,
  # programs, drum keys on channel 10 and velocities that vary, its channels
  # event for event those of the format-0 file; and every melodic note of
  # the traced tunes is there.
  add_test(NAME midi_daw_files_from_shared_tunes
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_midi} daw $<TARGET_FILE:notecast>
            ${NOTECAST_SHARED_DIR}/testdata/psid 60)
  add_test(NAME midi_daw_melodic_notes_of_traced_tunes
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_midi} traces $<TARGET_FILE:notecast>
            ${NOTECAST_SHARED_DIR}/testdata)
  set_tests_properties(midi_check_selftest midi_files_from_shared_tunes midi_daw_files_from_shared_tunes
    midi_daw_melodic_notes_of_traced_tunes PROPERTIES SKIP_RETURN_CODE 77)
  set_tests_properties(midi_files_from_shared_tunes midi_daw_files_from_shared_tunes
    midi_daw_melodic_notes_of_traced_tunes PROPERTIES TIMEOUT 1800)
else()
  message(STATUS "python3 not found: the MIDI file check is not run")
endif()
