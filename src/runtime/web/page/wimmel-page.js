// The page around the program: loads the data with a progress bar, starts
// wimmel.js on the canvas, scales the canvas to the window, switches full
// screen, and says on the page what happens (problems, the end, the
// benchmark's line). window.wimmel tells the state to whoever looks.
(function () {
  'use strict';

  var canvas = document.getElementById('screen');
  var loading = document.getElementById('loading');
  var progress = document.getElementById('progress');
  var message = document.getElementById('message');
  var fullscreenButton = document.getElementById('fullscreen');

  var wimmel = {
    state: 'loading',
    exitCode: null,
    firstFrameMs: null,
    frames: 0,
    benchmarkLine: null,
    audio: {
      get state() {
        var a = window.Module && Module.wimmelAudio;
        return a ? a.state() : 'none';
      },
      peak: function () {
        var a = window.Module && Module.wimmelAudio;
        return a ? a.peak() : 0;
      }
    },
    heapBytes: function () {
      if (typeof wasmMemory !== 'undefined' && wasmMemory) return wasmMemory.buffer.byteLength;
      return window.Module && Module.HEAPU8 ? Module.HEAPU8.length : 0;
    }
  };
  window.wimmel = wimmel;

  // ------------------------------------------------------------ messages
  // The lines the message area shows, each a text with its buttons.
  var lines = {};
  var order = ['problem', 'benchmark', 'error', 'end'];

  function show(kind, text, buttons) {
    if (text === null) {
      delete lines[kind];
    } else {
      lines[kind] = { text: text, buttons: buttons || [] };
    }
    while (message.firstChild) message.removeChild(message.firstChild);
    var any = false;
    order.forEach(function (k) {
      var line = lines[k];
      if (!line) return;
      var p = document.createElement('div');
      p.className = k;
      p.textContent = line.text;
      line.buttons.forEach(function (b) {
        var button = document.createElement('button');
        button.type = 'button';
        button.id = b.id;
        button.textContent = b.label;
        button.addEventListener('click', b.action);
        p.appendChild(document.createElement('br'));
        p.appendChild(button);
      });
      message.appendChild(p);
      any = true;
    });
    message.hidden = !any;
  }

  function fail(kind, text, buttons) {
    wimmel.state = 'error';
    loading.hidden = true;
    show(kind, text, buttons);
  }

  // ------------------------------------------------------------ scaling
  // The canvas as large as whole-number steps of the device's pixels allow,
  // and scaled down with its aspect kept when not even one step fits.
  var screenW = 0, screenH = 0;
  function fit() {
    var w = screenW || canvas.width, h = screenH || canvas.height;
    if (!w || !h) return;
    var ratio = window.devicePixelRatio || 1;
    var availW = window.innerWidth * ratio, availH = window.innerHeight * ratio;
    var scale = Math.min(availW / w, availH / h);
    if (scale >= 1) scale = Math.floor(scale);
    // Centred on whole device pixels, so that no pixel is split.
    var outW = Math.round(w * scale), outH = Math.round(h * scale);
    canvas.style.width = (outW / ratio) + 'px';
    canvas.style.height = (outH / ratio) + 'px';
    canvas.style.left = (Math.floor((availW - outW) / 2) / ratio) + 'px';
    canvas.style.top = (Math.floor((availH - outH) / 2) / ratio) + 'px';
  }
  window.addEventListener('resize', fit);
  fit();

  // ------------------------------------------------------------ full screen
  function toggleFullscreen() {
    var d = document;
    if (d.fullscreenElement || d.webkitFullscreenElement) {
      (d.exitFullscreen || d.webkitExitFullscreen).call(d);
    } else {
      var e = d.documentElement;
      var request = e.requestFullscreen || e.webkitRequestFullscreen;
      if (request) {
        var done = request.call(e);
        if (done && done.catch) done.catch(function () {});
      }
    }
  }
  fullscreenButton.addEventListener('click', function () {
    toggleFullscreen();
    fullscreenButton.blur();
    canvas.focus();
  });

  // ------------------------------------------------------------ input
  // The first key or click starts the sound, as browsers want.
  function gesture() {
    if (window.Module && Module.wimmelAudio) Module.wimmelAudio.gesture();
  }
  document.addEventListener('keydown', function (e) {
    gesture();
    if (e.altKey && (e.code === 'Enter' || e.code === 'NumpadEnter')) {
      e.preventDefault();
      if (!e.repeat) toggleFullscreen();
    }
  }, true);
  document.addEventListener('mousedown', gesture, true);
  canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  canvas.addEventListener('mousedown', function () { canvas.focus(); });

  // ------------------------------------------------------------ the program
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail('error', 'Dieser Browser kann kein WebAssembly ausführen, und ohne das läuft Wimmel nicht.');
    return;
  }

  var resolveData;
  var dataReady = new Promise(function (resolve) { resolveData = resolve; });

  // Puts the packed data (see pack_data.py) into the program's folder /data.
  function unpack(bytes) {
    var FS = Module.FS;
    var magic = String.fromCharCode.apply(null, bytes.subarray(0, 8));
    if (magic !== 'WIMMELPK') throw new Error('wimmel.data ist keine Wimmel-Datei');
    var view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    var headLength = view.getUint32(8, true);
    var index = JSON.parse(new TextDecoder().decode(bytes.subarray(12, 12 + headLength)));
    var at = 12 + headLength;
    index.forEach(function (entry) {
      var path = '/data/' + entry[0], size = entry[1];
      FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
      var stream = FS.open(path, 'w');
      FS.write(stream, bytes.subarray(at, at + size), 0, size, 0, true);
      FS.close(stream);
      at += size;
    });
    if (at !== bytes.length) throw new Error('wimmel.data ist unvollständig');
  }

  function loadData() {
    show('error', null);
    wimmel.state = 'loading';
    loading.hidden = false;
    progress.value = 0;
    fetch('wimmel.data').then(function (response) {
      if (!response.ok) throw new Error('HTTP ' + response.status);
      // The page knows the data's size (a compressed download's length
      // says nothing about it); without it the bar just shows that
      // something happens.
      var total = Number(progress.getAttribute('max')) || 0;
      if (total <= 1 && !response.headers.get('Content-Encoding')) {
        total = Number(response.headers.get('Content-Length')) || 0;
      }
      if (total > 1) {
        progress.max = total;
      } else {
        total = 0;
        progress.removeAttribute('value');
      }
      if (!response.body || !response.body.getReader) {
        return response.arrayBuffer().then(function (b) { return new Uint8Array(b); });
      }
      var reader = response.body.getReader();
      var chunks = [], received = 0;
      function next() {
        return reader.read().then(function (step) {
          if (step.done) {
            if (total > 0 && received !== total) throw new Error('abgebrochen');
            var bytes = new Uint8Array(received), at = 0;
            chunks.forEach(function (c) { bytes.set(c, at); at += c.length; });
            return bytes;
          }
          chunks.push(step.value);
          received += step.value.length;
          if (total > 0) progress.value = received;
          return next();
        });
      }
      return next();
    }).then(function (bytes) {
      resolveData(bytes);
    }, function (error) {
      fail('error', 'Die Daten von Wimmel konnten nicht geladen werden (' +
           (error && error.message ? error.message : error) + ').',
           [{ id: 'retry', label: 'Erneut versuchen', action: loadData }]);
    });
  }

  var errors = [];
  window.Module = {
    canvas: canvas,
    print: function (text) {
      console.log(text);
      if (text.indexOf('benchmark: ') === 0) {
        wimmel.benchmarkLine = text;
        show('benchmark', text);
      }
    },
    printErr: function (text) {
      console.warn(text);
      errors.push(text);
    },
    preRun: [function () {
      Module.addRunDependency('wimmel-data');
      dataReady.then(function (bytes) {
        try {
          unpack(bytes);
        } catch (e) {
          fail('error', 'Die Daten von Wimmel sind beschädigt (' + e.message + ').');
          return;
        }
        Module.removeRunDependency('wimmel-data');
      });
    }],
    onScreenSize: function (w, h) { screenW = w; screenH = h; fit(); },
    onRunning: function () {
      wimmel.state = 'running';
      loading.hidden = true;
      canvas.focus();
    },
    onFrame: function () {
      if (wimmel.firstFrameMs === null) wimmel.firstFrameMs = performance.now();
      wimmel.frames++;
    },
    onProblem: function (text) {
      show('problem', text);
    },
    onEnded: function (code) {
      wimmel.exitCode = code;
      wimmel.state = 'ended';
      loading.hidden = true;
      var text = 'Wimmel ist beendet.';
      if (code !== 0 && errors.length) text = errors.join('\n') + '\n' + text;
      show('end', text, [{ id: 'restart', label: 'Noch einmal starten',
                           action: function () { window.location.reload(); } }]);
    },
    onAbort: function (what) {
      fail('error', 'Wimmel ist mit einem Fehler abgebrochen: ' + what,
           [{ id: 'restart', label: 'Noch einmal starten',
              action: function () { window.location.reload(); } }]);
    }
  };

  loadData();
  var script = document.createElement('script');
  script.src = 'wimmel.js';
  script.onerror = function () {
    fail('error', 'Das Programm wimmel.js konnte nicht geladen werden.',
         [{ id: 'retry', label: 'Erneut versuchen', action: function () { window.location.reload(); } }]);
  };
  document.body.appendChild(script);
})();
