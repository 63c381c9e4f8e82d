# Writes page.js with the SHA-256 of each module it loads, in place of @PICTURES_SHA256@ and
# @CONTROLS_SHA256@. Takes TEMPLATE (page.js), PICTURES (pictures.js), CONTROLS (controls.js) and OUT.
file(SHA256 ${PICTURES} PICTURES_SHA256)
file(SHA256 ${CONTROLS} CONTROLS_SHA256)
configure_file(${TEMPLATE} ${OUT} @ONLY)
