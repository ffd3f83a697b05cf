/* The timer driver: no thread; the installed handlers run once a frame for the time the
 * browser's clock says has gone by. A hidden tab's time is not the game's: on its return
 * the clock starts again from there, so no burst of catch-up ticks follows. */
#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

EM_JS(void, web_timer_listen, (void), {
   var t = Module.webTimer = { last: performance.now(), carry: 0 };
   t.visibility = function() { t.last = performance.now(); };
   document.addEventListener('visibilitychange', t.visibility);
});

EM_JS(void, web_timer_unlisten, (void), {
   var t = Module.webTimer;
   if (t)
      document.removeEventListener('visibilitychange', t.visibility);
   Module.webTimer = null;
});

/* Timer units (TIMERS_PER_SECOND a second) gone since the last call, the fractions carried.
 * A stall longer than a quarter of a second (a debugger, a frozen tab) is not replayed. */
EM_JS(int, web_timer_elapsed, (double per_second), {
   var t = Module.webTimer;
   if (!t || document.hidden)
      return 0;
   var now = performance.now();
   var ms = now - t.last;
   t.last = now;
   if (ms < 0 || ms > 250)
      return 0;
   var units = ms * per_second / 1000 + t.carry;
   var whole = Math.floor(units);
   t.carry = units - whole;
   return whole;
});

void web_pump_timer(void)
{
   int units;

   if (!timer_driver || timer_driver != &timer_web)
      return;
   units = web_timer_elapsed(TIMERS_PER_SECOND);
   if (units > 0)
      _handle_timer_tick(units);
}

static int web_timer_init(void)
{
   web_timer_listen();
   return 0;
}

static void web_timer_exit(void)
{
   web_timer_unlisten();
}

TIMER_DRIVER timer_web = {
   TIMER_WEB,
   empty_string,
   empty_string,
   "Browser clock",
   web_timer_init,
   web_timer_exit,
   NULL, NULL, /* install_int, remove_int: Allegro's own queue */
   NULL, NULL, /* install_param_int, remove_param_int */
   NULL, NULL, /* can_simulate_retrace, simulate_retrace */
   NULL        /* rest */
};
