// Put into the page ahead of its own scripts by the engines' test: every
// console error and warning, every error event (a script's, or a file that
// would not load) and every promise rejection nobody handled is kept in
// window.pageProblems, for the test to read in any engine, WebKit's too,
// whose driver shows no console.
(() => {
  const problems = window.pageProblems = [];
  for (const kind of ['error', 'warn']) {
    const original = console[kind];
    console[kind] = (...args) => {
      problems.push(`console.${kind}: ${args.join(' ')}`);
      original.apply(console, args);
    };
  }
  window.addEventListener('error', event => {
    const target = event.target;
    if (target && target !== window) {
      problems.push(`${target.tagName} ${target.href || target.src || ''} did not load`);
    } else {
      problems.push(`error: ${event.message}`);
    }
  }, true);
  window.addEventListener('unhandledrejection', event => problems.push(`unhandled rejection: ${event.reason}`));
})();
