// The page's side of the program's audio device: an AudioContext, started
// by the first key or click (browsers allow no sound before), that plays the
// 44.1 kHz stereo samples the program posts, through an AudioWorklet where
// the browser has one and a ScriptProcessor otherwise, and an AnalyserNode
// behind it that tells the loudest sample lately played.
Module['wimmelAudio'] = (function () {
  var RATE = 44100;
  // The worklet: plays the posted chunks (interleaved stereo at 44.1 kHz,
  // picked at the context's own rate), silence when none is left, and tells
  // how many frames it has played.
  var WORKLET = [
    'class WimmelOut extends AudioWorkletProcessor {',
    '  constructor() {',
    '    super();',
    '    this.chunks = []; this.pos = 0; this.played = 0; this.told = 0;',
    '    this.step = ' + RATE + ' / sampleRate;',
    '    this.port.onmessage = (e) => { if (e.data === null) { this.chunks = []; this.pos = 0; } else this.chunks.push(e.data); };',
    '  }',
    '  process(inputs, outputs) {',
    '    const left = outputs[0][0], right = outputs[0][1] || left;',
    '    for (let i = 0; i < left.length; ++i) {',
    '      const c = this.chunks[0];',
    '      if (!c) { left[i] = 0; right[i] = 0; continue; }',
    '      const at = (this.pos | 0) * 2;',
    '      left[i] = c[at]; right[i] = c[at + 1];',
    '      this.pos += this.step;',
    '      if (this.pos * 2 >= c.length) { this.pos -= c.length / 2; this.played += c.length / 2; this.chunks.shift(); }',
    '    }',
    '    if (this.played - this.told >= 1024) { this.told = this.played; this.port.postMessage(this.played); }',
    '    return true;',
    '  }',
    '}',
    "registerProcessor('wimmel-out', WimmelOut);"
  ].join('\n');

  var audio = {
    wanted: false,   // the program has opened its device
    gestured: false, // a key or click has been seen
    ctx: null,
    node: null,
    analyser: null,
    ready: false,    // the graph is built and takes samples
    posted: 0,       // frames posted
    played: 0,       // frames played, as last told
    chunks: [],      // the ScriptProcessor's queue
    pos: 0,
    buffer: null
  };

  function connect(node) {
    node.connect(audio.analyser);
    audio.node = node;
    audio.ready = true;
  }

  function useScriptProcessor() {
    var ctx = audio.ctx;
    var step = RATE / ctx.sampleRate;
    var node = ctx.createScriptProcessor(2048, 0, 2);
    node.onaudioprocess = function (e) {
      var left = e.outputBuffer.getChannelData(0), right = e.outputBuffer.getChannelData(1);
      for (var i = 0; i < left.length; ++i) {
        var c = audio.chunks[0];
        if (!c) { left[i] = 0; right[i] = 0; continue; }
        var at = (audio.pos | 0) * 2;
        left[i] = c[at]; right[i] = c[at + 1];
        audio.pos += step;
        if (audio.pos * 2 >= c.length) {
          audio.pos -= c.length / 2;
          audio.played += c.length / 2;
          audio.chunks.shift();
        }
      }
    };
    connect(node);
  }

  function create() {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    var ctx;
    try {
      ctx = new Context({ sampleRate: RATE });
    } catch (e) {
      ctx = new Context();
    }
    audio.ctx = ctx;
    audio.analyser = ctx.createAnalyser();
    audio.analyser.fftSize = 32768;
    audio.analyser.connect(ctx.destination);
    if (ctx.audioWorklet && typeof AudioWorkletNode !== 'undefined') {
      var url = URL.createObjectURL(new Blob([WORKLET], { type: 'application/javascript' }));
      ctx.audioWorklet.addModule(url).then(function () {
        var node = new AudioWorkletNode(ctx, 'wimmel-out',
                                        { numberOfInputs: 0, outputChannelCount: [2] });
        node.port.onmessage = function (e) { audio.played = e.data; };
        connect(node);
      }, useScriptProcessor);
    } else {
      useScriptProcessor();
    }
  }

  // Browsers start sound only once the user has pressed a key or clicked
  // on the page (Shift alone does not count); before that a context would
  // stay suspended and complain.
  function allowed() {
    var activation = navigator.userActivation;
    return activation ? activation.hasBeenActive : audio.gestured;
  }
  function start() {
    if (!audio.wanted || !allowed()) return;
    if (!audio.ctx) create();
    if (audio.ctx && audio.ctx.state === 'suspended') audio.ctx.resume();
  }
  // The page calls this on every key and click.
  audio.gesture = function () {
    audio.gestured = true;
    start();
  };
  audio.open = function () {
    audio.wanted = true;
    audio.posted = 0;
    audio.played = 0;
    start();
  };
  audio.close = function () {
    audio.wanted = false;
    audio.chunks = [];
    audio.pos = 0;
    if (audio.node && audio.node.port) audio.node.port.postMessage(null);
    audio.posted = audio.played;
  };
  // How many frames the program should add to keep about `ahead` seconds queued.
  audio.need = function (ahead) {
    if (!audio.wanted || !audio.ready || audio.ctx.state !== 'running') return 0;
    var queued = audio.posted - audio.played;
    return Math.max(0, Math.round(ahead * RATE) - queued);
  };
  audio.post = function (samples) {  // an Int16Array, interleaved stereo
    var chunk = new Float32Array(samples.length);
    for (var i = 0; i < samples.length; ++i) chunk[i] = samples[i] / 32768;
    audio.posted += samples.length / 2;
    if (audio.node && audio.node.port) {
      audio.node.port.postMessage(chunk, [chunk.buffer]);
    } else {
      audio.chunks.push(chunk);
    }
  };
  audio.state = function () {
    return audio.ctx ? audio.ctx.state : 'none';
  };
  audio.peak = function () {
    if (!audio.analyser) return 0;
    if (!audio.buffer) audio.buffer = new Float32Array(audio.analyser.fftSize);
    audio.analyser.getFloatTimeDomainData(audio.buffer);
    var peak = 0;
    for (var i = 0; i < audio.buffer.length; ++i) {
      var v = Math.abs(audio.buffer[i]);
      if (v > peak) peak = v;
    }
    return Math.min(1, peak);
  };
  return audio;
})();
