# Writes tidewrack.html, the web edition in one file: the page PAGE with its
# style sheets (CSS) and scripts (JS, in order) written into it instead of
# linked, and nothing fetched from anywhere.
#   cmake -DPAGE=index.html -DCSS=a.css;b.css -DJS=a.js;b.js -DOUT=tidewrack.html -P single_file.cmake
file(READ ${PAGE} page)
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
