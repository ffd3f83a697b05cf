/* The mouse driver: buttons from the page's canvas; the game reads only a click. */
#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

EM_JS(void, web_mouse_listen, (void), {
   var m = Module.webMouse = { buttons: 0 };
   var bit = function(e) { return e.button === 0 ? 1 : e.button === 2 ? 2 : e.button === 1 ? 4 : 0; };
   m.down = function(e) { m.buttons |= bit(e); };
   m.up = function(e) { m.buttons &= ~bit(e); };
   m.blur = function() { m.buttons = 0; };
   window.addEventListener('mousedown', m.down);
   window.addEventListener('mouseup', m.up);
   window.addEventListener('blur', m.blur);
});

EM_JS(void, web_mouse_unlisten, (void), {
   var m = Module.webMouse;
   if (!m)
      return;
   window.removeEventListener('mousedown', m.down);
   window.removeEventListener('mouseup', m.up);
   window.removeEventListener('blur', m.blur);
   Module.webMouse = null;
});

EM_JS(int, web_mouse_buttons, (void), {
   return Module.webMouse ? Module.webMouse.buttons : 0;
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
   _mouse_b = web_mouse_buttons();
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
