# Copies the script IN to OUT with a first line that asks the browser to
# compile every function of it while the script still streams in, off the
# page's main thread, instead of one by one as the page first calls them:
# nearly all of the terminal emulator runs as the page opens anyway.
#   cmake -DIN=xterm.js -DOUT=site/xterm.js -P eager_script.cmake
file(READ ${IN} text)
file(WRITE ${OUT} "//# allFunctionsCalledOnLoad\n${text}")
