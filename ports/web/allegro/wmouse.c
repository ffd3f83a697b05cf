/* The mouse driver: clicks and taps from the page, as buttons and a place on the picture. */
#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

/* Pointer events give a mouse, a finger and a pen alike, and one event for a tap: the mouse
 * events a browser makes up after a tap are never listened to, so a tap counts once. A
 * press is latched until the game has polled once, so one that goes down and up between two
 * ticks is still seen, in one tick; the place kept is where it went down. */
EM_JS(void, web_mouse_listen, (void), {
   var m = Module.webMouse = { buttons: 0, latched: 0, x: null, y: null, pressx: 0, pressy: 0 };
   var bit = function(e) {
      if (e.pointerType !== 'mouse')
         return e.isPrimary ? 1 : 0;
      return e.button === 0 ? 1 : e.button === 2 ? 2 : e.button === 1 ? 4 : 0;
   };
   m.move = function(e) {
      m.x = e.clientX;
      m.y = e.clientY;
   };
   m.down = function(e) {
      var b = bit(e);
      m.move(e);
      if (!b)
         return;
      if (!(m.latched & 7)) {
         m.pressx = e.clientX;
         m.pressy = e.clientY;
      }
      m.buttons |= b;
      m.latched |= b;
   };
   m.up = function(e) {
      m.move(e);
      m.buttons &= ~bit(e);
   };
   m.blur = function() { m.buttons = 0; };
   window.addEventListener('pointerdown', m.down);
   window.addEventListener('pointerup', m.up);
   window.addEventListener('pointercancel', m.up);
   window.addEventListener('pointermove', m.move);
   window.addEventListener('blur', m.blur);
});

EM_JS(void, web_mouse_unlisten, (void), {
   var m = Module.webMouse;
   if (!m)
      return;
   window.removeEventListener('pointerdown', m.down);
   window.removeEventListener('pointerup', m.up);
   window.removeEventListener('pointercancel', m.up);
   window.removeEventListener('pointermove', m.move);
   window.removeEventListener('blur', m.blur);
   Module.webMouse = null;
});

/* The buttons down now or pressed since the last call; the place, in the w x h picture that
 * the canvas shows, through the canvas's place and size on the page (off the picture gives
 * a place outside it). Returns 0 while the pointer has never been seen. */
EM_JS(int, web_mouse_read, (int w, int h, int *buttons, int *x, int *y), {
   var m = Module.webMouse;
   if (!m)
      return 0;
   HEAP32[buttons >> 2] = m.buttons | m.latched;
   var cx = m.latched ? m.pressx : m.x, cy = m.latched ? m.pressy : m.y;
   m.latched = 0;
   if (m.x === null)
      return 0;
   var c = document.getElementById('screen');
   if (!c)
      return 0;
   var r = c.getBoundingClientRect();
   if (!r.width || !r.height)
      return 0;
   HEAP32[x >> 2] = Math.floor((cx - r.left) * w / r.width);
   HEAP32[y >> 2] = Math.floor((cy - r.top) * h / r.height);
   return 1;
});

static int web_mouse_init(void)
{
   web_mouse_listen();
   return 3;
}

static void web_mouse_exit(void)
{
   web_mouse_unlisten();
}

static void web_mouse_poll(void)
{
   int buttons = 0, x, y;

   if (screen && web_mouse_read(SCREEN_W, SCREEN_H, &buttons, &x, &y)) {
      _mouse_x = x;
      _mouse_y = y;
   }
   _mouse_b = buttons;
   _handle_mouse_input();
}

MOUSE_DRIVER mouse_web = {
   MOUSE_WEB,
   empty_string,
   empty_string,
   "Browser mouse",
   web_mouse_init,
   web_mouse_exit,
   web_mouse_poll,
   NULL, /* timer_poll */
   NULL, /* position */
   NULL, /* set_range */
   NULL, /* set_speed */
   NULL, /* get_mickeys */
   NULL, /* analyse_data */
   NULL, /* enable_hardware_cursor */
   NULL  /* select_system_cursor */
};
