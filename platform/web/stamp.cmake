# Writes the service worker into the page folder with its cache name, the version and a digest
# of every file it keeps, and with each file's SHA-256 to check it against. Takes VERSION, PAGE,
# FILES (the names of the files it keeps, in PAGE) and TEMPLATE.
set(files ${FILES})
list(SORT files)
set(digests "")
set(DIGESTS "")
foreach(name ${files})
    file(SHA256 ${PAGE}/${name} digest)
    string(APPEND digests "${name} ${digest}\n")
    string(APPEND DIGESTS "  '${name}': '${digest}',\n")
endforeach()
string(SHA256 build "${digests}")
string(SUBSTRING ${build} 0 12 BUILD)
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
