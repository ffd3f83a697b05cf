/* The digital sound driver: Allegro's mixer fills blocks of 16-bit stereo that the page's
 * AudioContext plays, kept a fifth to half a second ahead of its clock. Browsers allow sound
 * only after a key or a click, so the page makes its context then (Module.audioContext), at
 * the rate it names beforehand (Module.audioRate) for the mixer. A hidden tab's sound pauses.
 *
 * The blocks go to an AudioWorklet that plays them back to back off the page's main thread.
 * Pages served over plain http have no worklets, and a browser may not give the rate asked
 * for: there each batch is a buffer source of its own (which the browser resamples),
 * scheduled at the end of the one before. */
#include <stdlib.h>

#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

#define BLOCK 4096 /* sample frames mixed at a time: under a tenth of a second */
/* Blocks mixed and sent together. A message to the page's sound thread costs the main
 * thread a tenth of a millisecond or more whatever it carries, so a quarter of a second goes
 * at once; no more, as the music's stream is filled again only at the game's next pass, and
 * holds a third of a second beyond what the mixer has taken. */
#define BATCH 3

static short *blocks; /* one batch of mixed blocks, interleaved left and right */
static int mixing;   /* the mixer is set up */

EM_JS(int, web_audio_rate, (void), {
   return Module.audioRate || 0;
});

EM_JS(void, web_audio_listen, (int rate), {
   var a = Module.webAudio = { rate: rate, ctx: null, end: 0, sources: [], node: null,
                               ready: false };
   a.visibility = function() {
      if (!a.ctx || a.ctx.state === 'closed')
         return;
      if (document.hidden)
         a.ctx.suspend();
      else if (a.started)
         a.ctx.resume();
   };
   document.addEventListener('visibilitychange', a.visibility);
   // Plays queued blocks of interleaved 16-bit stereo in order; silence when none is left.
   var player = 'registerProcessor("vellmora-out", class extends AudioWorkletProcessor {' +
      'constructor() { super(); this.queue = []; this.at = 0;' +
      '  this.port.onmessage = (e) => { this.queue.push(e.data); }; }' +
      'process(inputs, outputs) {' +
      '  const l = outputs[0][0], r = outputs[0][1]; let i = 0;' +
      '  while (i < l.length && this.queue.length) {' +
      '    const q = this.queue[0];' +
      '    for (; i < l.length && this.at < q.length; i++, this.at += 2) {' +
      '      l[i] = q[this.at] / 32768; r[i] = q[this.at + 1] / 32768; }' +
      '    if (this.at >= q.length) { this.queue.shift(); this.at = 0; } }' +
      '  for (; i < l.length; i++) { l[i] = 0; r[i] = 0; }' +
      '  return true; } });';
   a.prepare = function(ctx) {
      a.ctx = ctx;
      if (!ctx.audioWorklet || typeof AudioWorkletNode !== 'function' ||
          Math.round(ctx.sampleRate) !== a.rate) {
         a.ready = true;
         return;
      }
      var url = URL.createObjectURL(new Blob([player], { type: 'text/javascript' }));
      ctx.audioWorklet.addModule(url).then(function() {
         if (Module.webAudio !== a)
            return;
         a.node = new AudioWorkletNode(ctx, 'vellmora-out',
                                       { numberOfInputs: 0, outputChannelCount: [2] });
         a.node.connect(ctx.destination);
      }).catch(function() {}).finally(function() {
         URL.revokeObjectURL(url);
         a.ready = true;
      });
   };
});

EM_JS(void, web_audio_unlisten, (void), {
   var a = Module.webAudio;
   if (!a)
      return;
   document.removeEventListener('visibilitychange', a.visibility);
   a.sources.forEach(function(s) { try { s.stop(); } catch (e) {} });
   if (a.node)
      a.node.disconnect();
   Module.webAudio = null;
});

/* Whether the page wants a batch of blocks now, being under a fifth of a second ahead; not
 * before a gesture let the page make its context, while the tab is hidden, or while the
 * player is still loading. */
EM_JS(int, web_audio_wanted, (void), {
   var ctx = Module.audioContext, a = Module.webAudio;
   if (!ctx || !a)
      return 0;
   if (a.ctx !== ctx)
      a.prepare(ctx);
   if (!a.ready || ctx.state !== 'running' || document.hidden)
      return 0;
   a.started = true;
   if (a.end < ctx.currentTime + 0.02)
      a.end = ctx.currentTime + 0.02;
   return a.end - ctx.currentTime < 0.2 ? 1 : 0;
});

EM_JS(void, web_audio_queue, (const short *samples, int frames), {
   var a = Module.webAudio, ctx = a.ctx;
   var p = samples >> 1;
   a.end += frames / a.rate;
   if (a.node) {
      // The samples go as they are mixed, and the worklet scales them: the page's own thread
      // does no more than copy them out of the module's memory.
      var q = HEAP16.slice(p, p + frames * 2);
      a.node.port.postMessage(q, [q.buffer]);
      return;
   }
   var buf = ctx.createBuffer(2, frames, a.rate);
   var l = buf.getChannelData(0), r = buf.getChannelData(1);
   for (var i = 0; i < frames; i++, p += 2) {
      l[i] = HEAP16[p] / 32768;
      r[i] = HEAP16[p + 1] / 32768;
   }
   var s = ctx.createBufferSource();
   s.buffer = buf;
   s.connect(ctx.destination);
   s.start(a.end - frames / a.rate);
   a.sources.push(s);
   s.onended = function() {
      var i = a.sources.indexOf(s);
      if (i >= 0)
         a.sources.splice(i, 1);
   };
});

void web_pump_sound(void)
{
   int n;

   if (!mixing || !web_audio_wanted())
      return;
   for (n = 0; n < BATCH; n++)
      _mix_some_samples((uintptr_t)(blocks + n * BLOCK * 2), 0, TRUE);
   web_audio_queue(blocks, BATCH * BLOCK);
}

static int web_digi_detect(int input)
{
   return !input && web_audio_rate() > 0;
}

static int web_digi_init(int input, int voices)
{
   if (input || web_audio_rate() <= 0) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("The page has no sound"));
      return -1;
   }
   blocks = malloc(BATCH * BLOCK * 2 * sizeof(short));
   if (!blocks)
      return -1;
   _sound_bits = 16;
   _sound_stereo = TRUE;
   _sound_freq = web_audio_rate();
   digi_web.voices = voices;
   if (_mixer_init(BLOCK * 2, _sound_freq, TRUE, TRUE, &digi_web.voices) != 0) {
      free(blocks);
      blocks = NULL;
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Error initialising mixer"));
      return -1;
   }
   web_audio_listen(_sound_freq);
   mixing = TRUE;
   return 0;
}

static void web_digi_exit(int input)
{
   (void)input;
   if (!mixing)
      return;
   mixing = FALSE;
   web_audio_unlisten();
   _mixer_exit();
   free(blocks);
   blocks = NULL;
}

static int web_digi_buffer_size(void)
{
   return BLOCK;
}

DIGI_DRIVER digi_web = {
   DIGI_WEB,
   empty_string,
   empty_string,
   "Web Audio",
   0, 0, MIXER_MAX_SFX, MIXER_DEF_SFX,
   web_digi_detect,
   web_digi_init,
   web_digi_exit,
   NULL, /* set_mixer_volume */
   NULL, /* get_mixer_volume */
   NULL, /* lock_voice */
   NULL, /* unlock_voice */
   web_digi_buffer_size,
   _mixer_init_voice,
   _mixer_release_voice,
   _mixer_start_voice,
   _mixer_stop_voice,
   _mixer_loop_voice,
   _mixer_get_position,
   _mixer_set_position,
   _mixer_get_volume,
   _mixer_set_volume,
   _mixer_ramp_volume,
   _mixer_stop_volume_ramp,
   _mixer_get_frequency,
   _mixer_set_frequency,
   _mixer_sweep_frequency,
   _mixer_stop_frequency_sweep,
   _mixer_get_pan,
   _mixer_set_pan,
   _mixer_sweep_pan,
   _mixer_stop_pan_sweep,
   _mixer_set_echo,
   _mixer_set_tremolo,
   _mixer_set_vibrato,
   0, 0, 0, 0, 0, 0, 0, 0
};
