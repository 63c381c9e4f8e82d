# Writes page.js with the SHA-256 of the pictures.js it loads, in place of @PICTURES_SHA256@.
# Takes TEMPLATE (page.js), PICTURES and OUT.
file(SHA256 ${PICTURES} PICTURES_SHA256)
configure_file(${TEMPLATE} ${OUT} @ONLY)
