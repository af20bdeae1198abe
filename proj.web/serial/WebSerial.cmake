# The page's serial link: include this file from the browser build and call
# pavlune_web_serial(TARGET) on the application's target. The scripts run
# before the program starts (--pre-js) and need no threads.
set(PAVLUNE_WEB_SERIAL_DIR ${CMAKE_CURRENT_LIST_DIR})

function(pavlune_web_serial target)
  target_link_options(${target} PRIVATE
    "SHELL:--pre-js ${PAVLUNE_WEB_SERIAL_DIR}/serial-pacer.js"
    "SHELL:--pre-js ${PAVLUNE_WEB_SERIAL_DIR}/web-serial-link.js")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
    ${PAVLUNE_WEB_SERIAL_DIR}/serial-pacer.js ${PAVLUNE_WEB_SERIAL_DIR}/web-serial-link.js)
endfunction()
