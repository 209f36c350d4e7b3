# Writes tidewrack.html, the web edition in one file: the page PAGE with its
# style sheets (CSS) and scripts (JS, in order) written into it instead of
# linked, its icon (ICON, an SVG) in it as a data: address, and nothing
# fetched from anywhere. The site's other links (the touch icon, the
# manifest, the early fetch of the WebAssembly) name files that are not
# beside a page opened from the disk: they are left out.
#   cmake -DPAGE=index.html -DCSS=a.css;b.css -DJS=a.js;b.js -DICON=icon.svg -DOUT=tidewrack.html
#         -P single_file.cmake
file(READ ${PAGE} page)
string(REGEX REPLACE "<link rel=\"(apple-touch-icon|manifest|preload)\"[^>]*>\n" "" page "${page}")
# The icon without its comments and line ends, and with the characters that
# an address may not hold as they are written as escapes.
file(READ ${ICON} icon)
string(REGEX REPLACE "<\\?xml[^>]*>" "" icon "${icon}")
string(REGEX REPLACE "<!--([^-]|-[^-])*-->" "" icon "${icon}")
string(REGEX REPLACE "[ \n]+" " " icon "${icon}")
string(STRIP "${icon}" icon)
foreach(pair "%;%25" "#;%23" "\";'" "<;%3C" ">;%3E")
  list(GET pair 0 from)
  list(GET pair 1 to)
  string(REPLACE "${from}" "${to}" icon "${icon}")
endforeach()
string(REGEX REPLACE "<link rel=\"icon\"[^>]*>"
       "<link rel=\"icon\" href=\"data:image/svg+xml,${icon}\" type=\"image/svg+xml\">" page "${page}")
string(REGEX REPLACE "<link rel=\"stylesheet\" href=\"[^\"]*\">\n" "" page "${page}")
string(REGEX REPLACE "<script defer src=\"[^\"]*\"></script>\n" "" page "${page}")
set(styles "")
foreach(sheet ${CSS})
  file(READ ${sheet} text)
  string(APPEND styles "<style>\n${text}</style>\n")
endforeach()
# The scripts at the end of the body, where the page's elements are there
# for them, as they are for the site's deferred scripts. A "</script" in a
# script would end it early.
set(scripts "<script>var TIDEWRACK_SINGLE_FILE = true;</script>\n")
foreach(script ${JS})
  file(READ ${script} text)
  string(REPLACE "</script" "<\\/script" text "${text}")
  string(APPEND scripts "<script>\n${text}\n</script>\n")
endforeach()
string(REPLACE "</head>" "${styles}</head>" page "${page}")
string(REPLACE "</body>" "${scripts}</body>" page "${page}")
file(WRITE ${OUT} "${page}")
