# The demo installer's splash picture, drawn at build time by
# scripts/make-demo-splash.sh (the same bytes on every build): packed into
# tarn-demo-setup.exe and installed with the kit as demo-splash.png.
set(TARN_DEMO_SPLASH ${CMAKE_BINARY_DIR}/demo-splash.png)
add_custom_command(OUTPUT ${TARN_DEMO_SPLASH}
                   COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-demo-splash.sh ${TARN_DEMO_SPLASH}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-demo-splash.sh
                   COMMENT "Demo splash picture")
add_custom_target(demo-splash ALL DEPENDS ${TARN_DEMO_SPLASH})
