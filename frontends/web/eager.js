//# allFunctionsCalledOnLoad
// (The game's script, compiled whole as it streams in: it all runs at the start.)
