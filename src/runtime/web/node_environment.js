// Runs before a Node program of the web build starts: its environment is
// the host process's, as a native program's is (emscripten gives a fixed
// one otherwise), so WIMMEL_DATA and HOME reach it. ENV exists only in
// programs that read their environment.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  if (typeof ENV === 'undefined') return;
  for (var name in process.env) ENV[name] = process.env[name];
});
