# The pictures of -svg, read by the system's XML parser (Debian's python3):
# every shared tune's picture is a well-formed SVG document, ten minutes of
# the busiest tunes stay within the size bound, three pictures rendered by
# headless Chromium are not blank (skipped when Chromium is not installed),
# and the example tune's picture in docs/ is what the program draws now.
# The target example_picture remakes that picture.
if(NOTECAST_CHECK_PYTHON)
  set(check_svg ${CMAKE_CURRENT_LIST_DIR}/check_svg.py)
  add_test(NAME svg_pictures_of_shared_tunes
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_svg} wellformed $<TARGET_FILE:notecast>
            ${NOTECAST_SHARED_DIR}/testdata)
  add_test(NAME svg_pictures_of_ten_minutes_stay_small
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_svg} long $<TARGET_FILE:notecast>
            ${NOTECAST_SHARED_DIR}/testdata)
  add_test(NAME svg_pictures_render_in_a_browser
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_svg} browser $<TARGET_FILE:notecast> ${PROJECT_SOURCE_DIR}
            ${NOTECAST_SHARED_DIR}/testdata)
  add_test(NAME svg_example_picture_is_current
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_svg} example $<TARGET_FILE:notecast> ${PROJECT_SOURCE_DIR})
  set_tests_properties(svg_pictures_of_shared_tunes svg_pictures_of_ten_minutes_stay_small
    svg_pictures_render_in_a_browser svg_example_picture_is_current PROPERTIES SKIP_RETURN_CODE 77)
  set_tests_properties(svg_pictures_of_shared_tunes svg_pictures_render_in_a_browser PROPERTIES TIMEOUT 900)
  set_tests_properties(svg_pictures_of_ten_minutes_stay_small PROPERTIES TIMEOUT 300)
  add_custom_target(example_picture
    COMMAND ${NOTECAST_CHECK_PYTHON} ${check_svg} example $<TARGET_FILE:notecast> ${PROJECT_SOURCE_DIR} --write
    DEPENDS notecast
    COMMENT "Drawing docs/lighthouse_run.svg"
    VERBATIM)
endif()
