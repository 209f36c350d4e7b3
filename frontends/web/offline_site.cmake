# Run at build time (cmake -P) once every file of the site is in SITE_DIR:
# - writes the service worker, sw.js, from TEMPLATE, with the list of the
#   site's files and a version made of the game's version and a hash of
#   those files, so that any changed file gives a new cache, even at the same
#   version number, and the SHA-256 of each file, which the worker checks
#   every file it fetches against;
# - writes a brotli (.br) and a gzip (.gz) copy beside each file that is not
#   compressed already, for servers that send such copies to browsers that
#   take them (the site's own server, site_server.js, does).
#
#   cmake -DSITE_DIR=... -DTEMPLATE=sw.js.in -DVERSION=1.0.0 -DFILES=a|b|c
#         -DBROTLI=/usr/bin/brotli -DGZIP=/bin/gzip -P offline_site.cmake
cmake_minimum_required(VERSION 3.25)
foreach(variable SITE_DIR TEMPLATE VERSION FILES BROTLI GZIP)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "offline_site.cmake needs -D${variable}=")
  endif()
endforeach()
string(REPLACE "|" ";" files "${FILES}")
list(SORT files)

set(listing "")
set(quoted "")
set(digests "")
foreach(name ${files})
  if(NOT EXISTS ${SITE_DIR}/${name})
    message(FATAL_ERROR "the site has no ${name}")
  endif()
  file(SHA256 ${SITE_DIR}/${name} digest)
  string(APPEND listing "${name} ${digest}\n")
  if(quoted)
    string(APPEND quoted ", ")
  endif()
  string(APPEND quoted "'${name}'")
  if(digests)
    string(APPEND digests ", ")
  endif()
  string(APPEND digests "'${digest}'")
endforeach()
string(SHA256 site_digest "${listing}")
string(SUBSTRING ${site_digest} 0 12 site_digest)
set(SITE_VERSION ${VERSION}-${site_digest})
set(SITE_FILES ${quoted})
set(SITE_DIGESTS ${digests})
configure_file(${TEMPLATE} ${SITE_DIR}/sw.js @ONLY)
file(WRITE ${SITE_DIR}/version.txt "${SITE_VERSION}\n")

foreach(name ${files} sw.js)
  if(name MATCHES "\\.(png|br|gz)$")
    continue()
  endif()
  set(file ${SITE_DIR}/${name})
  # --no-copy-stat: brotli would give the copy its file's time cut to the
  # second, older than the file itself, and a server that sends only copies
  # at least as new as their file (site_server.js) would never send it.
  execute_process(COMMAND ${BROTLI} --best --force --no-copy-stat --output=${file}.br ${file}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "brotli failed on ${name}")
  endif()
  # brotli makes its copy readable by its owner alone, and a web server that
  # runs as a user of its own could not send it.
  file(CHMOD ${file}.br PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  # -n: no name nor time in the copy, so the same file always gives the same bytes.
  execute_process(COMMAND ${GZIP} -9 -n -c ${file} OUTPUT_FILE ${file}.gz RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${name}")
  endif()
endforeach()
message(STATUS "site ${SITE_VERSION}: ${SITE_DIR}/sw.js and the compressed copies written")
