process.exit(0)
